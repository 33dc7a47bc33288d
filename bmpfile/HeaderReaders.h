#pragma once

#include <cstdint>

#include "bmpfile/BmpHeaders.h"

// A file's headers without its pixels, exactly as the file holds them: nothing is validated.

namespace rastero {

// bfType 0 marks a file that could not be opened. Fields past the end of a short file keep their
// construction values.
BmpFileHeader ReadFileHeaderOf(const char* path);
// A file that cannot be opened gives the construction values; there is no separate mark.
BmpInfoHeader ReadInfoHeaderOf(const char* path);
// The biBitCount of the info header, untested.
int32_t DepthOfFile(const char* path);
// Reads both headers and discards them.
void ShowBitmapInfo(const char* path);

}  // namespace rastero
