#pragma once

#include <algorithm>
#include <cstdint>

namespace rastero {

inline int64_t FloorDiv(int64_t numerator, int64_t denominator) {
    int64_t quotient = numerator / denominator;
    if ((numerator % denominator != 0) && ((numerator < 0) != (denominator < 0))) --quotient;
    return quotient;
}

inline int64_t CeilDiv(int64_t numerator, int64_t denominator) { return -FloorDiv(-numerator, denominator); }

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
    bool IsPainted(int64_t position) const {
        return !Empty() && position >= FirstPainted() && position <= LastPainted();
    }

    // The last visited block that covers `position`: where blocks share a position, the later
    // block paints over the earlier one.
    int64_t Owner(int64_t position) const { return std::min(highest, FloorDiv(position - first, stride)); }

    // The positions inside the image whose owner is `block`.
    int64_t FirstOwned(int64_t block) const { return std::max<int64_t>(0, Start(block)); }
    int64_t LastOwned(int64_t block) const {
        return std::min(size - 1, Start(block) + stride - (block == highest ? 0 : 1));
    }

    // The visited blocks that cover `position`: at most two, the later one being Owner.
    int64_t FirstCovering(int64_t position) const {
        return std::max(lowest, CeilDiv(position - stride - first, stride));
    }

    // The sample position of a block, one step inside its corner, clamped into the image.
    int64_t SampleOf(int64_t block) const { return std::clamp<int64_t>(Start(block) + 1, 0, size - 1); }
};

// A block in painting order: rows of blocks top to bottom, blocks left to right within a row.
struct BlockIndex {
    int64_t row;
    int64_t column;
};

// A block's sample lies inside no earlier block unless clamping at an edge moved it there (a
// block starting on the last column or row of the image); then the block takes the colour of the
// last earlier block that covers the sample, as painting block by block leaves it. Finds that
// block, or returns false when the sample shows the unpainted picture. Only rows of blocks from
// `firstRow` on are looked at.
inline bool LatestEarlierCover(const BlockAxis& rows, const BlockAxis& columns, BlockIndex block,
                               int64_t firstRow, BlockIndex& cover) {
    const int64_t x = columns.SampleOf(block.column);
    const int64_t y = rows.SampleOf(block.row);
    for (int64_t coverRow = std::min(block.row, rows.Owner(y)); coverRow >= rows.FirstCovering(y); --coverRow) {
        if (coverRow < firstRow) return false;
        const int64_t lastColumn = coverRow == block.row ? block.column - 1 : columns.highest;
        const int64_t coverColumn = std::min(lastColumn, columns.Owner(x));
        if (coverColumn >= columns.FirstCovering(x)) {
            cover = BlockIndex{coverRow, coverColumn};
            return true;
        }
    }
    return false;
}

}  // namespace rastero
