#pragma once

#include <ostream>

#include "image/BmpImage.h"

namespace rastero {

inline bool operator==(const BmpPixel& a, const BmpPixel& b) { return SamePixel(a, b); }
inline bool operator!=(const BmpPixel& a, const BmpPixel& b) { return !SamePixel(a, b); }

inline std::ostream& operator<<(std::ostream& out, const BmpPixel& p) {
    return out << "(b" << int(p.blue) << " g" << int(p.green) << " r" << int(p.red) << " a"
               << int(p.alpha) << ")";
}

// A colour that tells positions apart: every pixel of a test image gets its own.
inline BmpPixel PatternPixel(int32_t x, int32_t y) {
    return BmpPixel{static_cast<uint8_t>(x * 7 + y), static_cast<uint8_t>(x + y * 13),
                    static_cast<uint8_t>(x * 3 + y * 5 + 1), static_cast<uint8_t>(x * 11 + y * 17 + 3)};
}

inline void FillPattern(BmpImage& image) {
    for (int32_t x = 0; x < image.GetWidth(); ++x)
        for (int32_t y = 0; y < image.GetHeight(); ++y) image.PutPixel(x, y, PatternPixel(x, y));
}

}  // namespace rastero
