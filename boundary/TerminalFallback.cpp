#include "boundary/Terminal.h"

namespace rastero {

// Without a way to ask, output is treated as going to a file: no progress line.
bool IsTerminal(std::FILE*) { return false; }

}  // namespace rastero
