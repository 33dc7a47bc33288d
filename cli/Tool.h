#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "cli/ExitStatus.h"

namespace rastero::cli {

struct ToolStreams {
    std::istream& in;
    std::ostream& out;
    std::ostream& errors;
    // A person watches `errors`, so a batch may show a progress line there.
    bool errorsOnTerminal;
};

// The whole tool: parses the arguments after the program name and runs the command.
ExitStatus RunTool(const std::vector<std::string>& arguments, const ToolStreams& streams);

}  // namespace rastero::cli
