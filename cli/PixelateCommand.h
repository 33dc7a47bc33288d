#pragma once

#include <ostream>

#include "cli/Arguments.h"
#include "cli/ExitStatus.h"

namespace rastero::cli {

// Runs one file's job; a failure is told on `errors` with the file and the reason. Touches
// nothing but the two files, so jobs on different files can run side by side.
ExitStatus PixelateFile(const PixelateJob& job, std::ostream& errors);

}  // namespace rastero::cli
