#pragma once

#include <ostream>
#include <string>

#include "cli/Arguments.h"
#include "cli/ExitStatus.h"

namespace rastero::cli {

// Shows the headers of every file, as text or as one JSON object a line, in the order given.
// A file that cannot be opened or is no BMP file is told on `errors` and does not stop the
// others; the result is the worst status.
ExitStatus ShowInfo(const InfoRequest& request, std::ostream& out, std::ostream& errors);

// The text as a JSON string literal.
std::string JsonString(const std::string& text);

}  // namespace rastero::cli
