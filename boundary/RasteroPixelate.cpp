#include "rastero/RasteroPixelate.h"

#include "boundary/PathConversion.h"
#include "image/BmpImage.h"
#include "ops/Pixelate.h"

namespace {

// The whole job; `loaded` tells the caller which result an exception halfway through stands for.
int32_t LoadPixelateSave(const RasteroWideChar* inputPath, const RasteroWideChar* outputPath,
                         int32_t left, int32_t top, int32_t right, int32_t bottom, bool& loaded) {
    rastero::BmpImage image;
    {
        const rastero::NarrowPath input(inputPath);
        // A null name is a file that cannot be opened; it never reaches the file open.
        if (input.Get() == nullptr || !image.LoadFile(input.Get())) {
            return RASTERO_PIXELATE_LOAD_FAILED;
        }
    }
    loaded = true;
    rastero::PixelateBlocks(image, left, top, right, bottom);
    // The output path is converted only now, so a failed load never looks at it.
    const rastero::NarrowPath output(outputPath);
    // Hosts take 999 to mean "loaded and handed to the writer"; whether the write succeeded is
    // not theirs to learn from this call.
    if (output.Get() != nullptr) image.SaveFile(output.Get());
    return RASTERO_PIXELATE_DONE;
}

}  // namespace

extern "C" RASTERO_EXPORT int32_t RasteroPixelate(const RasteroWideChar* inputPath,
                                                  const RasteroWideChar* outputPath, int32_t left,
                                                  int32_t top, int32_t right, int32_t bottom) {
    bool loaded = false;
    // No exception may cross into a C host, not even a failed allocation that throws.
    try {
        return LoadPixelateSave(inputPath, outputPath, left, top, right, bottom, loaded);
    } catch (...) {
        return loaded ? RASTERO_PIXELATE_DONE : RASTERO_PIXELATE_LOAD_FAILED;
    }
}
