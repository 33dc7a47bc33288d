#include "boundary/PathConversion.h"

#include <new>

namespace rastero {

size_t WidePathLength(const RasteroWideChar* path) {
    size_t length = 0;
    while (path[length] != 0) ++length;
    return length;
}

NarrowPath::NarrowPath(const RasteroWideChar* path) : isNull(path == nullptr) {
    if (isNull) return;
    const size_t length = WidePathLength(path);
    const size_t capacity = NarrowPathCapacity(length);
    if (capacity == 0) return;
    buffer.reset(new (std::nothrow) char[capacity]);
    if (!buffer) return;
    buffer[0] = '\0';
    ConvertWidePath(path, length, buffer.get(), capacity);
}

const char* NarrowPath::Get() const {
    if (isNull) return nullptr;
    // A path too long to size or to allocate fails like any other conversion.
    return buffer ? buffer.get() : "";
}

}  // namespace rastero
