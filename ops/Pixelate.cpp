#include "ops/Pixelate.h"

#include <algorithm>

#include "ops/BlockGrid.h"

namespace rastero {

namespace {

// Blocks are sampled in their painting order (rows of blocks top to bottom, left to right within a
// row), but painted a band of block rows at a time, column by column, so each column of the image
// is written in one downward sweep instead of one short run per block.
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

    // Blocks of earlier bands are already in the image, so a sample covered by one of them reads
    // its colour from there.
    BmpPixel TakeSample(int64_t row, int64_t column) {
        BlockIndex cover{};
        if (LatestEarlierCover(rows, columns, BlockIndex{row, column}, bandFirst, cover)) {
            return Sample(cover.row, cover.column);
        }
        return image.PixelAt(static_cast<int32_t>(columns.SampleOf(column)), static_cast<int32_t>(rows.SampleOf(row)));
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
