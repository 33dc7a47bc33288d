// Writes, into the folder named on the command line, one file per depth and width made by our
// writer, and beside each the raw red, green and blue it must decode to (top row first), so an
// independent reader can be held against both.

#include <cstdio>
#include <string>

#include "tests/TestSupport.h"

namespace {

using rastero::BmpImage;
using rastero::BmpPixel;

// The colour a reader must see: the palette entry the pixel maps to, or the channels the 5-6-5
// word keeps.
BmpPixel Stored(const BmpImage& image, const BmpPixel& pixel) {
    switch (image.GetDepth()) {
        case 16:
            return BmpPixel{static_cast<uint8_t>(pixel.blue & 0xF8), static_cast<uint8_t>(pixel.green & 0xFC),
                            static_cast<uint8_t>(pixel.red & 0xF8), 0};
        case 24:
        case 32: return pixel;
        default: return image.PaletteColor(image.NearestPaletteIndex(pixel));
    }
}

bool WriteExpected(const BmpImage& image, const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = true;
    for (int32_t y = 0; y < image.GetHeight(); ++y) {
        for (int32_t x = 0; x < image.GetWidth(); ++x) {
            const BmpPixel pixel = Stored(image, image.PixelAt(x, y));
            const unsigned char rgb[3] = {pixel.red, pixel.green, pixel.blue};
            ok &= std::fwrite(rgb, 1, 3, file) == 3;
        }
    }
    return std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    for (int32_t depth : {1, 4, 8, 16, 24, 32}) {
        for (int32_t width : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23,
                              24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 64, 127, 255}) {
            BmpImage image;
            if (!image.SetDepth(depth) || !image.Resize(width, 5)) return 1;
            rastero::FillPattern(image);
            const std::string name = folder + "/d" + std::to_string(depth) + "-w" + std::to_string(width);
            if (!image.SaveFile((name + ".bmp").c_str()) || !WriteExpected(image, name + ".rgb")) {
                std::fprintf(stderr, "cannot write %s\n", name.c_str());
                return 1;
            }
        }
    }
    return 0;
}
