#include "tests/AllocationProbe.h"

#include <cstdlib>
#include <new>

namespace {

bool armed = false;
std::size_t allocationCount = 0;
std::size_t failingSize = SIZE_MAX;

void* Allocate(std::size_t size) noexcept {
    if (armed) {
        ++allocationCount;
        if (size >= failingSize) return nullptr;
    }
    return std::malloc(size == 0 ? 1 : size);
}

void* AllocateOrThrow(std::size_t size) {
    void* memory = Allocate(size);
    if (memory == nullptr) throw std::bad_alloc();
    return memory;
}

}  // namespace

namespace rastero {

AllocationProbe::AllocationProbe(std::size_t failFrom) {
    allocationCount = 0;
    failingSize = failFrom;
    armed = true;
}

AllocationProbe::~AllocationProbe() {
    armed = false;
    failingSize = SIZE_MAX;
}

std::size_t AllocationProbe::Count() const { return allocationCount; }

}  // namespace rastero

// Every ordinary form is replaced, and all go to malloc and free, so that memory taken by one
// form and returned by another (or by a sanitizer's own versions) always matches.
void* operator new(std::size_t size) { return AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
