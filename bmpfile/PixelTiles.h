#pragma once

#include <algorithm>
#include <cstdint>

#include "image/BmpImage.h"

// Keeps a rarely taken path out of a hot loop, so the loop keeps its values in registers.
#if defined(_MSC_VER)
#define RASTERO_NOINLINE __declspec(noinline)
#else
#define RASTERO_NOINLINE __attribute__((noinline))
#endif

namespace rastero {

// Files hold rows, the image holds columns. The codecs meet in a tile of rows x pitch pixels,
// row-major, small enough for the first-level cache. A row codec fills or drains one tile row in
// a plain linear loop; the tile moves to or from the columns one column run at a time. The runs
// are as long as the rows at hand allow (memory streams best in long runs), and the tile is as
// wide as then fits, in steps of 8 pixels so a run of 1- and 4-bit pixels starts on a byte.
constexpr int32_t TilePixels = 8192;
constexpr int32_t TileMaxRows = TilePixels / 8;

struct PixelTile {
    explicit PixelTile(int32_t rows) : rows(rows), pitch(std::max(8, TilePixels / rows / 8 * 8)) {}

    BmpPixel* Row(int32_t i) { return pixels + i * pitch; }
    const BmpPixel* Row(int32_t i) const { return pixels + i * pitch; }

    int32_t rows;
    int32_t pitch;
    BmpPixel pixels[TilePixels];
};

// Tile rows 0 .. rows - 1, `count` pixels each, go to image rows yTop .. yTop + rows - 1 of
// columns x0 .. x0 + count - 1.
void StoreTile(BmpImage& image, const PixelTile& tile, int32_t yTop, int32_t x0, int32_t count);

// The reverse: image rows yTop .. yTop + rows - 1 of those columns into the tile's rows.
void LoadTile(const BmpImage& image, PixelTile& tile, int32_t yTop, int32_t x0, int32_t count);

// 24-bit pixels, three bytes each, to and from colours: Expand24 gives each colour alpha 0,
// Pack24 drops alpha. They handle `count` pixels and may read or write (as scratch) the bytes of
// the pixels after them, up to `room` pixels from the start; nothing past that.
void Expand24(const uint8_t* source, int32_t count, int32_t room, BmpPixel* out);
void Pack24(const BmpPixel* in, int32_t count, int32_t room, uint8_t* out);

}  // namespace rastero
