#pragma once

#include <cstdio>
#include <string>

// The few file-system steps a safe replace needs beyond standard C++. One implementation per
// platform; boundary/CMakeLists.txt picks it.

namespace rastero {

// A new, empty file opened for binary writing, and its name.
struct TempFile {
    std::FILE* stream = nullptr;
    std::string path;
};

// Creates a new file in the folder of `target`, so that it can later replace the target in one
// step. An existing target's permissions are carried over. False, with nothing created, on failure.
bool CreateTempFileBeside(const char* target, TempFile& temp);

// Puts the file at `source` in place of `target` in one step; an existing target is replaced.
bool ReplaceFile(const char* source, const char* target);

bool RemoveFile(const char* path);

// True when `path` names an existing file that this process may not write: replacing it through
// its folder would get round its protection.
bool IsExistingUnwritableFile(const char* path);

// True when both names exist and lead to one file (through links, other spellings, other folders).
bool IsSameFile(const char* first, const char* second);

// True when `path` names something that exists and is not a regular file (a device, a FIFO).
bool IsExistingNonRegularFile(const char* path);

}  // namespace rastero
