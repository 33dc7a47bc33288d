#include "rastero/RasteroPixelate.h"

#include "boundary/PathConversion.h"
#include "ops/FileMosaic.h"
#include "ops/Pixelate.h"

extern "C" RASTERO_EXPORT int32_t RasteroPixelate(const RasteroWideChar* inputPath,
                                                  const RasteroWideChar* outputPath, int32_t left,
                                                  int32_t top, int32_t right, int32_t bottom) {
    // Load, paint, save: the mosaic streams a complete file a band of rows at a time and holds
    // any other in memory, with the same bytes written either way.
    rastero::FileMosaic mosaic;
    {
        const rastero::NarrowPath input(inputPath);
        // A null name is a file that cannot be opened; it never reaches the file open.
        if (input.Get() == nullptr || !mosaic.Open(input.Get())) return RASTERO_PIXELATE_LOAD_FAILED;
    }
    // The output path is converted only now, so a failed load never looks at it.
    const rastero::NarrowPath output(outputPath);
    // Hosts take 999 to mean "loaded and handed to the writer"; whether the write succeeded is
    // not theirs to learn from this call.
    if (output.Get() != nullptr) {
        mosaic.Write(output.Get(), left, top, right, bottom, rastero::DefaultBlockStride);
    }
    return RASTERO_PIXELATE_DONE;
}
