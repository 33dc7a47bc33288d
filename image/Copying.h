#pragma once

#include <cstdint>

#include "image/BmpImage.h"
#include "image/BmpPixel.h"

// Copies of single pixels and of rectangles between images (or within one image). Copy
// construction and the resolution in dots per inch are members of BmpImage, defined beside these.

namespace rastero {

// Destination (dx, dy) becomes source (x, y), all four bytes. Both positions are clamped into
// their images, so the call never reaches outside either one.
void CopyPixel(const BmpImage& source, int32_t x, int32_t y, BmpImage& destination, int32_t dx,
               int32_t dy);

// As CopyPixel, except that nothing is copied when the source pixel has the key's red, green and
// blue; the key's alpha is ignored.
void CopyPixelUnlessKey(const BmpImage& source, int32_t x, int32_t y, BmpImage& destination,
                        int32_t dx, int32_t dy, const BmpPixel& key);

// Copies source columns left..right and the rows between bottom and top (inclusive, either order)
// so that the first copied pixel lands at (dx, dy). The region is clipped to the source, then at
// the destination's right and bottom edges only; destination positions left of or above the
// destination clamp to its first column or row, where the pixel copied last stays. Pixels go one
// by one, rows outer and columns inner, each read after the previous one is written, so a copy of
// an image onto an overlapping part of itself repeats pixels instead of moving the block.
void CopyRegion(const BmpImage& source, int32_t left, int32_t right, int32_t bottom, int32_t top,
                BmpImage& destination, int32_t dx, int32_t dy);

// As CopyRegion, leaving out every source pixel of the key colour (red, green and blue only).
void CopyRegionUnlessKey(const BmpImage& source, int32_t left, int32_t right, int32_t bottom,
                         int32_t top, BmpImage& destination, int32_t dx, int32_t dy,
                         const BmpPixel& key);

}  // namespace rastero
