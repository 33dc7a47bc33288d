#pragma once

#include <cstdint>
#include <limits>
#include <ostream>

#include "cli/Arguments.h"
#include "cli/ExitStatus.h"

namespace rastero::cli {

// The widest result: the reader refuses rows of more than 2^31 - 1 bits, so a wider one would be
// written as a file that no one here could load again.
constexpr int32_t MaxRescaledWidth = std::numeric_limits<int32_t>::max() / 24;

// Loads the input, rescales it and writes it as a 24-bit picture; a failure is told on `errors`
// with the file and the reason. The mode has been checked already, before anything was loaded.
ExitStatus RescaleFile(const RescaleJob& job, std::ostream& errors);

}  // namespace rastero::cli
