#include <unistd.h>

#include "boundary/Terminal.h"

namespace rastero {

bool IsTerminal(std::FILE* stream) { return stream != nullptr && isatty(fileno(stream)) == 1; }

}  // namespace rastero
