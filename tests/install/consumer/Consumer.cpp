// Uses the installed library the way its users do: makes a picture, pixelates it, writes and
// reads a file; and, linked with the module, calls its C function. Exits 0 when all went well.
#include <cstdio>

#include "image/BmpImage.h"
#include "ops/Pixelate.h"

#ifdef CONSUMER_USES_MODULE
#include <string>

#include "rastero/RasteroPixelate.h"
#endif

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    rastero::BmpImage image;
    if (!image.Resize(30, 30)) return 3;
    image.PutPixel(1, 1, rastero::BmpPixel{10, 20, 30, 0});
    rastero::PixelateBlocks(image, 0, 0, 10, 10);
    if (image.PixelAt(15, 15).red != 30) return 4;
    if (!image.SaveFile(argv[1])) return 5;
    rastero::BmpImage loaded;
    if (!loaded.LoadFile(argv[1]) || loaded.GetWidth() != 30 || loaded.PixelAt(20, 20).green != 20) return 6;
#ifdef CONSUMER_USES_MODULE
    std::u16string path;
    for (const char* c = argv[1]; *c; ++c) path += static_cast<char16_t>(*c);
    const std::u16string missing = path + u".missing";
    const RasteroWideChar* in = reinterpret_cast<const RasteroWideChar*>(path.c_str());
    if (RasteroPixelate(reinterpret_cast<const RasteroWideChar*>(missing.c_str()), in, 0, 0, 10, 10) != 1) return 7;
    if (RasteroPixelate(in, in, 0, 0, 10, 10) != 999) return 8;
#endif
    std::puts("consumer: ok");
    return 0;
}
