#pragma once

#include <string>

namespace rastero::cli {

// The full help of the tool ("") or of one command.
std::string HelpText(const std::string& topic);

// The one or two usage lines shown after a usage error.
std::string UsageLines(const std::string& topic);

// What a usage error shows: the problem, the usage lines of `topic` and where to find more. An
// error in the system's own words stands as it is, without the tool's "rastero: "; an empty one
// is left out.
std::string UsageErrorText(const std::string& error, const std::string& topic,
                           bool ownWords = false);

std::string VersionText();

}  // namespace rastero::cli
