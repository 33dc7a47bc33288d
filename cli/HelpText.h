#pragma once

#include <string>

namespace rastero::cli {

// The full help of the tool ("") or of one command.
std::string HelpText(const std::string& topic);

// The one or two usage lines shown after a usage error.
std::string UsageLines(const std::string& topic);

std::string VersionText();

}  // namespace rastero::cli
