#include "boundary/MemoryAdvice.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace rastero {

#if defined(__linux__)

// Older C libraries lack the name; older kernels refuse the value, which leaves it a hint.
#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif

void PrepareForWriting(void* start, size_t bytes) {
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pageSize <= 0) return;
    const auto page = static_cast<uintptr_t>(pageSize);
    const auto first = (reinterpret_cast<uintptr_t>(start) + page - 1) / page * page;
    const auto end = (reinterpret_cast<uintptr_t>(start) + bytes) / page * page;
    if (end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
}

#else

void PrepareForWriting(void*, size_t) {}

#endif

}  // namespace rastero
