#pragma once

#include <ostream>

#include "cli/Arguments.h"
#include "cli/ExitStatus.h"

namespace rastero::cli {

// Loads the input, rescales it and writes it as a 24-bit picture; a failure is told on `errors`
// with the file and the reason. The mode has been checked already, before anything was loaded.
ExitStatus RescaleFile(const RescaleJob& job, std::ostream& errors);

}  // namespace rastero::cli
