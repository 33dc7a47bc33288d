#include "cli/PixelateCommand.h"

#include "cli/Diagnosis.h"
#include "image/BmpImage.h"
#include "ops/Pixelate.h"

namespace rastero::cli {

ExitStatus PixelateFile(const PixelateJob& job, std::ostream& errors) {
    BmpImage image;
    if (!image.LoadFile(job.input.c_str())) {
        errors << "rastero: cannot load " << Quoted(job.input) << ": " << WhyLoadFailed(job.input)
               << "\n";
        return ExitStatus::LoadFailed;
    }
    // Later rectangles sample what earlier ones painted, like calls one after another.
    for (const Rectangle& r : job.rectangles) {
        PixelateBlocksWithStride(image, r.left, r.top, r.right, r.bottom, job.cell);
    }
    if (!image.SaveFile(job.output.c_str())) {
        errors << "rastero: cannot write " << Quoted(job.output) << ": "
               << WhyWriteFailed(job.output) << "\n";
        return ExitStatus::WriteFailed;
    }
    return ExitStatus::Success;
}

}  // namespace rastero::cli
