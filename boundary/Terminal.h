#pragma once

#include <cstdio>

namespace rastero {

// True when the stream goes to a terminal that a person watches, so a progress line that
// rewrites itself is welcome there. False where the platform cannot tell.
bool IsTerminal(std::FILE* stream);

}  // namespace rastero
