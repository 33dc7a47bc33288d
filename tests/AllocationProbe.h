#pragma once

#include <cstddef>
#include <cstdint>

namespace rastero {

// While a probe lives, every allocation through operator new is counted, and those of at least
// `failFrom` bytes fail (nothrow forms return null, the others throw). Only for test programs
// that link AllocationProbe.cpp, which replaces the global allocation functions.
class AllocationProbe {
public:
    explicit AllocationProbe(std::size_t failFrom = SIZE_MAX);
    ~AllocationProbe();
    AllocationProbe(const AllocationProbe&) = delete;
    AllocationProbe& operator=(const AllocationProbe&) = delete;

    // Allocations asked for since the probe was made, failed ones included.
    std::size_t Count() const;
};

}  // namespace rastero
