#pragma once

namespace rastero::cli {

// The tool's exit statuses; a larger value is a worse outcome.
enum class ExitStatus {
    Success = 0,
    LoadFailed = 1,
    UsageError = 2,
    WriteFailed = 3,
    // The rescaled picture would be larger than an image may be.
    TooLarge = 4,
};

inline ExitStatus Worse(ExitStatus a, ExitStatus b) { return a < b ? b : a; }

}  // namespace rastero::cli
