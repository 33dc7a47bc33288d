// Windows file names go through the system's default narrow code page, the one the C run-time's
// fopen expects.
#include <windows.h>

#include <climits>

#include "boundary/PathConversion.h"

namespace rastero {

namespace {

// Two bytes a character cover every double-byte code page; a UTF-8 system code page needs more.
size_t BytesPerUnit() {
    CPINFO info;
    if (GetCPInfo(CP_ACP, &info) && info.MaxCharSize > 2) return info.MaxCharSize;
    return 2;
}

}  // namespace

size_t NarrowPathCapacity(size_t length) {
    const size_t perUnit = BytesPerUnit();
    // The conversion counts bytes in an int.
    if (length >= static_cast<size_t>(INT_MAX) / perUnit - 1) return 0;
    return (length + 1) * perUnit;
}

// A character the code page lacks must not turn into a look-alike ("A" for "Ā", "\" for a
// full-width backslash): the name would then open, or overwrite, a file nobody asked for. Such a
// path converts to the empty name, which no file open accepts.
void ConvertWidePath(const RasteroWideChar* path, size_t, char* buffer, size_t capacity) {
    if (capacity == 0) return;
    buffer[0] = '\0';
    // UTF-8 holds every character, and takes neither of the two safeguards.
    const bool utf8 = GetACP() == CP_UTF8;
    BOOL usedDefault = FALSE;
    const int written = WideCharToMultiByte(CP_ACP, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, path, -1,
                                            buffer, static_cast<int>(capacity), nullptr,
                                            utf8 ? nullptr : &usedDefault);
    if (written == 0 || usedDefault) buffer[0] = '\0';
}

}  // namespace rastero
