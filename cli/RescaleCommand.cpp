#include "cli/RescaleCommand.h"

#include "cli/Diagnosis.h"
#include "image/BmpImage.h"
#include "ops/Rescale.h"

namespace rastero::cli {

namespace {

bool FitsAnImage(const BmpImage& image, const RescaleJob& job) {
    RescaledSize size{0, 0};
    return ComputeRescaledSize(image.GetWidth(), image.GetHeight(), job.mode, job.size, size) &&
           size.width <= MaxRescaledWidth;
}

}  // namespace

ExitStatus RescaleFile(const RescaleJob& job, std::ostream& errors) {
    BmpImage image;
    if (!image.LoadFile(job.input.c_str())) {
        errors << "rastero: cannot load " << Quoted(job.input) << ": " << WhyLoadFailed(job.input)
               << "\n";
        return ExitStatus::LoadFailed;
    }
    if (!FitsAnImage(image, job)) {
        errors << "rastero: cannot rescale " << Quoted(job.input) << ": the requested size is too "
               << "large (a result has at most " << MaxPixelCount << " pixels and "
               << MaxRescaledWidth << " columns)\n";
        return ExitStatus::TooLarge;
    }
    if (!RescaleImage(image, job.mode, job.size)) {
        errors << "rastero: cannot rescale " << Quoted(job.input) << ": not enough memory\n";
        return ExitStatus::LoadFailed;
    }
    if (!image.SaveFile(job.output.c_str())) {
        errors << "rastero: cannot write " << Quoted(job.output) << ": "
               << WhyWriteFailed(job.output) << "\n";
        return ExitStatus::WriteFailed;
    }
    return ExitStatus::Success;
}

}  // namespace rastero::cli
