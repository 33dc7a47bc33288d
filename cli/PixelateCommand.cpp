#include "cli/PixelateCommand.h"

#include "cli/Diagnosis.h"
#include "image/BmpImage.h"
#include "ops/Pixelate.h"

namespace rastero::cli {

ExitStatus PixelateFile(const PixelateJob& job, std::ostream& errors) {
    BmpImage image;
    if (!LoadOrTell(image, job.input, errors)) return ExitStatus::LoadFailed;
    // Later rectangles sample what earlier ones painted, like calls one after another.
    for (const Rectangle& r : job.rectangles) {
        PixelateBlocksWithStride(image, r.left, r.top, r.right, r.bottom, job.cell);
    }
    if (!SaveOrTell(image, job.output, errors)) return ExitStatus::WriteFailed;
    return ExitStatus::Success;
}

}  // namespace rastero::cli
