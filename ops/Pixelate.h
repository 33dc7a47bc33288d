#pragma once

#include <cstdint>

#include "image/BmpImage.h"

namespace rastero {

// Distance between the corners of neighbouring blocks; each block is one pixel wider than this,
// so a block's last column and row are the first ones of the next block.
constexpr int32_t DefaultBlockStride = 20;

// Covers a rectangle with square blocks of one colour. Blocks start at (left, top) and every
// `DefaultBlockStride` pixels while their corner lies left of `right` and above `bottom`; each
// covers 21 x 21 pixels in the colour of the pixel one step inside its corner, read (clamped)
// before the block is painted. Later blocks win where blocks overlap. Parts of blocks outside the
// image are dropped, so any rectangle is safe and costs only the area it paints inside the image.
void PixelateBlocks(BmpImage& image, int32_t left, int32_t top, int32_t right, int32_t bottom);

// The same with another stride: blocks of (stride + 1) x (stride + 1) pixels, `stride` apart.
// A stride below 1 paints nothing.
void PixelateBlocksWithStride(BmpImage& image, int32_t left, int32_t top, int32_t right,
                              int32_t bottom, int32_t stride);

}  // namespace rastero
