#pragma once

#include <cstddef>

namespace rastero {

// Asks the system to back the whole pages of [start, start + bytes) with memory now, in one call,
// because every byte of it is about to be written: far cheaper than taking a fault per page. Only
// a hint; where the system has no such call, or refuses, nothing happens.
void PrepareForWriting(void* start, size_t bytes);

}  // namespace rastero
