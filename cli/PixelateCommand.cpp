#include "cli/PixelateCommand.h"

#include "cli/Diagnosis.h"
#include "image/BmpImage.h"
#include "ops/FileMosaic.h"
#include "ops/Pixelate.h"

namespace rastero::cli {

namespace {

// Later rectangles sample what earlier ones painted, like calls one after another, so several
// rectangles need the whole picture in memory.
ExitStatus PixelateInMemory(const PixelateJob& job, std::ostream& errors) {
    BmpImage image;
    if (!LoadOrTell(image, job.input, errors)) return ExitStatus::LoadFailed;
    for (const Rectangle& r : job.rectangles) {
        PixelateBlocksWithStride(image, r.left, r.top, r.right, r.bottom, job.cell);
    }
    if (!SaveOrTell(image, job.output, errors)) return ExitStatus::WriteFailed;
    return ExitStatus::Success;
}

}  // namespace

ExitStatus PixelateFile(const PixelateJob& job, std::ostream& errors) {
    if (job.rectangles.size() != 1) return PixelateInMemory(job, errors);
    FileMosaic mosaic;
    if (!mosaic.Open(job.input.c_str())) {
        TellLoadFailed(job.input, errors);
        return ExitStatus::LoadFailed;
    }
    const Rectangle& r = job.rectangles.front();
    if (mosaic.Write(job.output.c_str(), r.left, r.top, r.right, r.bottom, job.cell)) return ExitStatus::Success;
    if (mosaic.InputFailed()) {
        errors << "rastero: cannot load " << Quoted(job.input) << ": it changed while it was read, or there "
                  "is not enough memory\n";
        return ExitStatus::LoadFailed;
    }
    TellWriteFailed(job.output, errors);
    return ExitStatus::WriteFailed;
}

}  // namespace rastero::cli
