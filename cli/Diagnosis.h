#pragma once

#include <ostream>
#include <string>

#include "bmpfile/BmpHeaders.h"
#include "image/BmpImage.h"

namespace rastero::cli {

// Why a file cannot serve as a BMP input before its headers are looked at: it is missing, cannot
// be opened, is empty, is not a BMP file or ends inside its headers. Empty when none of these.
std::string FileProblem(const std::string& path);

// Why the reader refuses headers like these (compression, depth, orientation, dimensions).
// Empty when they are fine.
std::string HeaderProblem(const BmpInfoHeader& infoHeader);

// The reason a load of this file failed, in words a user can act on.
std::string WhyLoadFailed(const std::string& path);

// The reason writing this file failed.
std::string WhyWriteFailed(const std::string& path);

// Tells `errors` which file could not be loaded or written, and why.
void TellLoadFailed(const std::string& path, std::ostream& errors);
void TellWriteFailed(const std::string& path, std::ostream& errors);

// Loads or saves `image`; on failure tells `errors` which file and why, and returns false.
bool LoadOrTell(BmpImage& image, const std::string& path, std::ostream& errors);
bool SaveOrTell(BmpImage& image, const std::string& path, std::ostream& errors);

// The path in double quotes, for messages.
std::string Quoted(const std::string& path);

}  // namespace rastero::cli
