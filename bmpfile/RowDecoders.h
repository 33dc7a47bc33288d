#pragma once

// The row decoders behind the reader: each turns `count` pixels of a stored row, from pixel x0 on,
// into colours. Shared by the loader and by the streaming mosaic, so both read a file the same way.

#include <cstdint>
#include <cstring>

#include "bmpfile/PixelTiles.h"
#include "image/BmpImage.h"

namespace rastero {

// Stored rows of 1, 4 or 8 bits: each byte holds PerByte palette indexes, the leftmost in the
// high bits. The colours of all PerByte pixels of each possible byte are taken once, so a byte
// decodes with one copy; indexes past the palette read as white, as PaletteColor answers them.
template <int32_t Bits>
struct DecodeIndexed {
    static constexpr int32_t PerByte = 8 / Bits;

    explicit DecodeIndexed(const BmpImage& image) {
        for (int32_t byte = 0; byte < 256; ++byte) {
            for (int32_t k = 0; k < PerByte; ++k) {
                groups[byte][k] = image.PaletteColor((byte >> (8 - Bits * (k + 1))) & ((1 << Bits) - 1));
            }
        }
    }

    // Pixels x0 .. x0 + count - 1 of a stored row into `out`; x0 is a multiple of PerByte.
    void operator()(const uint8_t* row, int32_t x0, int32_t count, BmpPixel* out) const {
        const uint8_t* bytes = row + x0 / PerByte;
        const int32_t whole = count / PerByte;
        for (int32_t j = 0; j < whole; ++j) std::memcpy(out + PerByte * j, groups[bytes[j]], sizeof groups[0]);
        for (int32_t k = 0; k < count % PerByte; ++k) out[PerByte * whole + k] = groups[bytes[whole]][k];
    }

    BmpPixel groups[256][PerByte];
};

// A loaded 24-bit pixel takes the 0 alpha of a white one (the loader leaves its storage unfilled).
struct Decode24 {
    int32_t width;
    void operator()(const uint8_t* row, int32_t x0, int32_t count, BmpPixel* out) const {
        Expand24(row + 3 * static_cast<size_t>(x0), count, width - x0, out);
    }
};

struct Decode32 {
    void operator()(const uint8_t* row, int32_t x0, int32_t count, BmpPixel* out) const {
        std::memcpy(out, row + 4 * static_cast<size_t>(x0), sizeof(BmpPixel) * static_cast<size_t>(count));
    }
};

inline uint16_t WordAt(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] | bytes[1] << 8); }

// Shifts a mask right until it is 31 or less, so every channel comes out as v x 8 with v below 32:
// a channel of more than five bits keeps only its top five.
inline uint16_t ShiftOf(uint16_t mask) {
    uint16_t shift = 0;
    while (mask > 31) {
        mask = static_cast<uint16_t>(mask >> 1);
        ++shift;
    }
    return shift;
}

// 16-bit pixels take the 0 alpha of a white one. The channels are put together as one
// little-endian word, the byte order of BmpPixel on the hosts the format is read on, so the
// compiler can do several pixels at once.
struct Decode16 {
    Decode16(uint16_t red, uint16_t green, uint16_t blue)
        : redMask(red), greenMask(green), blueMask(blue),
          redShift(ShiftOf(red)), greenShift(ShiftOf(green)), blueShift(ShiftOf(blue)) {}

    void operator()(const uint8_t* row, int32_t x0, int32_t count, BmpPixel* out) const {
        const uint8_t* words = row + 2 * static_cast<size_t>(x0);
        for (int32_t i = 0; i < count; ++i) {
            const uint32_t color = Pack(WordAt(words + 2 * i));
            std::memcpy(&out[i], &color, sizeof color);
        }
    }

    BmpPixel Apply(uint16_t word) const {
        const uint32_t color = Pack(word);
        BmpPixel pixel;
        std::memcpy(&pixel, &color, sizeof pixel);
        return pixel;
    }

    uint32_t Pack(uint32_t word) const {
        return ((word & blueMask) >> blueShift) << 3 | ((word & greenMask) >> greenShift) << 11 |
               ((word & redMask) >> redShift) << 19;
    }

    uint32_t redMask, greenMask, blueMask;
    uint32_t redShift, greenShift, blueShift;
};

}  // namespace rastero
