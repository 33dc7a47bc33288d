#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/ExitStatus.h"

namespace rastero::cli {

// The whole tool: parses the arguments after the program name and runs the command.
ExitStatus RunTool(const std::vector<std::string>& arguments, std::ostream& out,
                   std::ostream& errors);

}  // namespace rastero::cli
