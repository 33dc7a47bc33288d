#include "ops/Pixelate.h"

#include <algorithm>

namespace rastero {

namespace {

int64_t FloorDiv(int64_t numerator, int64_t denominator) {
    int64_t quotient = numerator / denominator;
    if ((numerator % denominator != 0) && ((numerator < 0) != (denominator < 0))) --quotient;
    return quotient;
}

int64_t CeilDiv(int64_t numerator, int64_t denominator) { return -FloorDiv(-numerator, denominator); }

// The blocks of one axis: block k starts at first + k * stride and covers stride + 1 positions.
// Only the blocks from `lowest` to `highest` start before the bound and reach into 0 .. size - 1;
// the others paint nothing and are never visited, so the cost follows the area inside the image.
// Everything is 64-bit, so no 32-bit argument can overflow.
struct BlockAxis {
    int64_t first;
    int64_t stride;
    int64_t size;
    int64_t lowest;
    int64_t highest;  // below lowest when no block touches the image

    BlockAxis(int64_t first, int64_t bound, int64_t stride, int64_t size)
        : first(first), stride(stride), size(size) {
        const int64_t count = bound > first ? CeilDiv(bound - first, stride) : 0;
        lowest = std::max<int64_t>(0, CeilDiv(-stride - first, stride));
        highest = std::min(count - 1, FloorDiv(size - 1 - first, stride));
    }

    bool Empty() const { return highest < lowest; }
    int64_t Count() const { return highest - lowest + 1; }
    int64_t Start(int64_t block) const { return first + block * stride; }

    // The first and last position that any visited block paints inside the image.
    int64_t FirstPainted() const { return std::max<int64_t>(0, Start(lowest)); }
    int64_t LastPainted() const { return std::min(size - 1, Start(highest) + stride); }

    // The last visited block that covers `position`: where blocks share a position, the later
    // block paints over the earlier one.
    int64_t Owner(int64_t position) const { return std::min(highest, FloorDiv(position - first, stride)); }

    // The visited blocks that cover `position`: at most two, the later one being Owner.
    int64_t FirstCovering(int64_t position) const {
        return std::max(lowest, CeilDiv(position - stride - first, stride));
    }

    // The sample position of a block, one step inside its corner, clamped into the image.
    int64_t SampleOf(int64_t block) const { return std::clamp<int64_t>(Start(block) + 1, 0, size - 1); }
};

// Blocks are sampled in their painting order (rows of blocks top to bottom, left to right within a
// row), but painted a band of block rows at a time, column by column, so each column of the image
// is written in one downward sweep instead of one short run per block. A sample lies inside no
// earlier block unless clamping at an edge moved it there; then it takes the colour of the last
// earlier block that covers it, exactly as painting block by block would have left it.
class BandPainter {
public:
    BandPainter(BmpImage& image, const BlockAxis& columns, const BlockAxis& rows, BmpPixel* samples)
        : image(image), columns(columns), rows(rows), samples(samples) {}

    void Paint(int64_t firstRow, int64_t lastRow) {
        bandFirst = firstRow;
        for (int64_t row = firstRow; row <= lastRow; ++row)
            for (int64_t column = columns.lowest; column <= columns.highest; ++column)
                Sample(row, column) = TakeSample(row, column);
        const int64_t top = std::max<int64_t>(0, rows.Start(firstRow));
        const int64_t bottom = std::min(rows.size - 1, rows.Start(lastRow) + rows.stride);
        for (int64_t x = columns.FirstPainted(); x <= columns.LastPainted(); ++x) {
            BmpPixel* pixels = image.Column(static_cast<int32_t>(x));
            const int64_t column = columns.Owner(x);
            for (int64_t row = firstRow; row <= lastRow; ++row) {
                const int64_t from = std::max(top, rows.Start(row));
                const int64_t to = std::min(bottom, rows.Start(row) + rows.stride);
                FillPixels(pixels + from, to - from + 1, Sample(row, column));
            }
        }
    }

private:
    BmpPixel& Sample(int64_t row, int64_t column) {
        return samples[(row - bandFirst) * columns.Count() + (column - columns.lowest)];
    }

    BmpPixel TakeSample(int64_t row, int64_t column) {
        const int64_t x = columns.SampleOf(column);
        const int64_t y = rows.SampleOf(row);
        // The latest block before (row, column) in painting order that covers (x, y), if it lies
        // in this band and so is not painted yet; earlier bands are already in the image.
        for (int64_t coverRow = std::min(row, rows.Owner(y)); coverRow >= rows.FirstCovering(y); --coverRow) {
            if (coverRow < bandFirst) break;
            const int64_t lastColumn = coverRow == row ? column - 1 : columns.highest;
            const int64_t coverColumn = std::min(lastColumn, columns.Owner(x));
            if (coverColumn >= columns.FirstCovering(x)) return Sample(coverRow, coverColumn);
        }
        return image.PixelAt(static_cast<int32_t>(x), static_cast<int32_t>(y));
    }

    BmpImage& image;
    const BlockAxis& columns;
    const BlockAxis& rows;
    BmpPixel* samples;
    int64_t bandFirst = 0;
};

// Samples of one band: 16 KiB on the stack, so the mosaic needs no storage of its own.
constexpr int64_t SamplesPerBand = 4096;

// Paints one block after another. Only for strides so small that one row of blocks holds more
// samples than a band: each block is a handful of pixels then, and the order is the plain one.
void PaintBlockByBlock(BmpImage& image, const BlockAxis& columns, const BlockAxis& rows) {
    for (int64_t row = rows.lowest; row <= rows.highest; ++row) {
        const int64_t top = std::max<int64_t>(0, rows.Start(row));
        const int64_t bottom = std::min(rows.size - 1, rows.Start(row) + rows.stride);
        for (int64_t column = columns.lowest; column <= columns.highest; ++column) {
            const BmpPixel sample = image.PixelAt(static_cast<int32_t>(columns.Start(column) + 1),
                                                  static_cast<int32_t>(rows.Start(row) + 1));
            const int64_t firstX = std::max<int64_t>(0, columns.Start(column));
            const int64_t lastX = std::min(columns.size - 1, columns.Start(column) + columns.stride);
            for (int64_t x = firstX; x <= lastX; ++x) {
                BmpPixel* pixels = image.Column(static_cast<int32_t>(x));
                FillPixels(pixels + top, bottom - top + 1, sample);
            }
        }
    }
}

}  // namespace

void PixelateBlocks(BmpImage& image, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    PixelateBlocksWithStride(image, left, top, right, bottom, DefaultBlockStride);
}

void PixelateBlocksWithStride(BmpImage& image, int32_t left, int32_t top, int32_t right, int32_t bottom,
                              int32_t stride) {
    if (stride < 1) return;
    const BlockAxis columns(left, right, stride, image.GetWidth());
    const BlockAxis rows(top, bottom, stride, image.GetHeight());
    if (columns.Empty() || rows.Empty()) return;
    const int64_t bandRows = SamplesPerBand / columns.Count();
    if (bandRows < 1) {
        PaintBlockByBlock(image, columns, rows);
        return;
    }
    BmpPixel samples[SamplesPerBand];
    BandPainter painter(image, columns, rows, samples);
    for (int64_t row = rows.lowest; row <= rows.highest; row += bandRows)
        painter.Paint(row, std::min(rows.highest, row + bandRows - 1));
}

}  // namespace rastero
