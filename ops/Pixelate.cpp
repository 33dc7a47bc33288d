#include "ops/Pixelate.h"

#include <algorithm>

namespace rastero {

namespace {

int64_t FloorDiv(int64_t numerator, int64_t denominator) {
    int64_t quotient = numerator / denominator;
    if ((numerator % denominator != 0) && ((numerator < 0) != (denominator < 0))) --quotient;
    return quotient;
}

int64_t CeilDiv(int64_t numerator, int64_t denominator) {
    return -FloorDiv(-numerator, denominator);
}

// The blocks of one axis that start at first + k * stride (first + k * stride < bound) and
// reach into 0 .. size - 1; everything is 64-bit so no 32-bit argument can overflow.
struct BlockRange {
    int64_t firstIndex;
    int64_t lastIndex;  // below firstIndex when no block touches the image
};

BlockRange TouchingBlocks(int64_t first, int64_t bound, int64_t stride, int64_t size) {
    const int64_t blockCount = bound > first ? CeilDiv(bound - first, stride) : 0;
    // A block covers first + k * stride .. first + k * stride + stride; it touches the image when
    // its last pixel is at 0 or beyond and its first pixel is at size - 1 or before.
    const int64_t lowest = std::max<int64_t>(0, CeilDiv(-stride - first, stride));
    const int64_t highest = std::min(blockCount - 1, FloorDiv(size - 1 - first, stride));
    return BlockRange{lowest, highest};
}

// Paints the part of the block with corner (x, y) that lies inside the image.
void PaintBlock(BmpImage& image, int64_t x, int64_t y, int64_t extent, const BmpPixel& color) {
    const auto firstColumn = static_cast<int32_t>(std::max<int64_t>(x, 0));
    const auto lastColumn = static_cast<int32_t>(std::min<int64_t>(x + extent - 1, image.GetWidth() - 1));
    const auto firstRow = static_cast<int32_t>(std::max<int64_t>(y, 0));
    const auto lastRow = static_cast<int32_t>(std::min<int64_t>(y + extent - 1, image.GetHeight() - 1));
    if (firstRow > lastRow) return;
    for (int32_t column = firstColumn; column <= lastColumn; ++column) {
        BmpPixel* pixels = image.Column(column);
        std::fill(pixels + firstRow, pixels + lastRow + 1, color);
    }
}

}  // namespace

void PixelateBlocks(BmpImage& image, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    PixelateBlocksWithStride(image, left, top, right, bottom, DefaultBlockStride);
}

void PixelateBlocksWithStride(BmpImage& image, int32_t left, int32_t top, int32_t right,
                              int32_t bottom, int32_t stride) {
    if (stride < 1) return;
    const BlockRange rows = TouchingBlocks(top, bottom, stride, image.GetHeight());
    const BlockRange columns = TouchingBlocks(left, right, stride, image.GetWidth());
    // Blocks that touch no pixel leave the image as it is, so skipping them changes nothing; the
    // ones that remain run in the usual order and lie within stride pixels of the image, so
    // their coordinates fit 32 bits.
    for (int64_t row = rows.firstIndex; row <= rows.lastIndex; ++row) {
        const auto y = static_cast<int32_t>(top + row * stride);
        for (int64_t column = columns.firstIndex; column <= columns.lastIndex; ++column) {
            const auto x = static_cast<int32_t>(left + column * stride);
            const BmpPixel sample = image.PixelAt(x + 1, y + 1);
            PaintBlock(image, x, y, int64_t{stride} + 1, sample);
        }
    }
}

}  // namespace rastero
