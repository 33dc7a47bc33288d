#pragma once

#include <cstdint>
#include <cstring>

namespace rastero {

// One colour in the byte order of a BMP palette entry and a 32-bit pixel: blue, green, red, alpha.
struct BmpPixel {
    uint8_t blue;
    uint8_t green;
    uint8_t red;
    uint8_t alpha;
};

static_assert(sizeof(BmpPixel) == 4, "BmpPixel must be exactly the four bytes of a palette entry");

// White with alpha 0 fills new pixels and stands in for a missing palette entry.
constexpr BmpPixel WhitePixel{255, 255, 255, 0};

// Colour comparisons look at red, green and blue only, never at alpha.
inline bool SameColor(const BmpPixel& a, const BmpPixel& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

inline bool SamePixel(const BmpPixel& a, const BmpPixel& b) {
    return SameColor(a, b) && a.alpha == b.alpha;
}

// Fills count pixels with one colour. Written as whole 4-byte words so the compiler can store
// several pixels at a time; a plain fill of the struct goes byte by byte.
inline void FillPixels(BmpPixel* first, int64_t count, const BmpPixel& color) {
    uint32_t word;
    std::memcpy(&word, &color, sizeof word);
    auto* bytes = reinterpret_cast<unsigned char*>(first);
    for (int64_t i = 0; i < count; ++i) std::memcpy(bytes + 4 * i, &word, sizeof word);
}

}  // namespace rastero
