#pragma once

#include <cstddef>
#include <memory>

#include "rastero/RasteroPixelate.h"

namespace rastero {

// The narrow file name that the standard library's file open takes, made from a wide path of the
// host. A null path gives a null name. A path that cannot be converted gives the empty name, which
// no file open accepts, so the failure shows up as a file that cannot be opened.
class NarrowPath {
public:
    explicit NarrowPath(const RasteroWideChar* path);
    NarrowPath(const NarrowPath&) = delete;
    NarrowPath& operator=(const NarrowPath&) = delete;

    const char* Get() const;

private:
    bool isNull;
    std::unique_ptr<char[]> buffer;
};

// Units of a wide path before its terminator.
size_t WidePathLength(const RasteroWideChar* path);

// The platform's part, one implementation per platform (see boundary/CMakeLists.txt).
//
// Bytes the narrow form of a path of `length` units may take, its terminator included; 0 when
// such a buffer cannot be sized.
size_t NarrowPathCapacity(size_t length);
// Converts the `length` units of `path` and its terminator into `buffer` of `capacity` bytes. On
// failure the buffer holds the empty string.
void ConvertWidePath(const RasteroWideChar* path, size_t length, char* buffer, size_t capacity);

}  // namespace rastero
