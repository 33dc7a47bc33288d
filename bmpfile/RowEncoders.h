#pragma once

// The row encoders behind the writer, and the palette matcher the indexed ones use. Shared by the
// writer and by the streaming mosaic, so both write a file the same way.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "bmpfile/PixelTiles.h"
#include "image/BmpImage.h"

namespace rastero {

// Remembers NearestPaletteIndex per colour for one write, in a two-way cache small enough for the
// first-level cache. It starts with the palette's own colours, each with the first entry of that
// colour, which is the answer for it; after a load of an indexed file every pixel holds one of
// them. Other colours are matched when first met and kept until pushed out. A slot holds the
// 24-bit colour above the 8-bit index, and every slot always holds a true answer, so a lookup
// needs no empty mark. The palette's colours also stay in a sorted list, so one that lost its
// slot to two others of its set costs a binary search, not a scan.
class PaletteMatcher {
public:
    explicit PaletteMatcher(const BmpImage& image) : image(image) {
        const BmpPixel black{0, 0, 0, 0};
        std::fill(std::begin(slots), std::end(slots), Slot(Key(black), image.NearestPaletteIndex(black)));
        if (!IsIndexedDepth(image.GetDepth()) || !image.HasPalette()) return;
        for (int32_t i = 0; i < image.PaletteSize(); ++i) own[i] = Slot(Key(image.PaletteColor(i)), static_cast<uint8_t>(i));
        // By colour, then index; of a repeated colour only its lowest entry stays.
        std::sort(own, own + image.PaletteSize());
        const auto sameColor = [](uint32_t a, uint32_t b) { return a >> 8 == b >> 8; };
        ownCount = static_cast<int32_t>(std::unique(own, own + image.PaletteSize(), sameColor) - own);
        for (int32_t i = 0; i < ownCount; ++i) Insert(own[i]);
    }

    // The palette index of each of `count` pixels. Out of line, so that its loop gets the
    // registers to itself.
    RASTERO_NOINLINE void IndexesOf(const BmpPixel* in, int32_t count, uint8_t* out) {
        for (int32_t i = 0; i < count; ++i) {
            const uint32_t key = Key(in[i]);
            const uint32_t first = slots[2 * SetOf(key)];
            out[i] = first >> 8 == key ? static_cast<uint8_t>(first) : Miss(key);
        }
    }

private:
    static constexpr int32_t SetBits = 11;

    // Red, green and blue of a little-endian pixel word, alpha dropped.
    static uint32_t Key(const BmpPixel& color) {
        uint32_t word;
        std::memcpy(&word, &color, sizeof word);
        return word & 0xFFFFFF;
    }
    static uint32_t Slot(uint32_t key, uint8_t index) { return key << 8 | index; }
    // Palette colours often have many low bits 0; folding the high bits in first spreads them.
    static uint32_t SetOf(uint32_t key) { return ((key ^ key >> 11) * 0x9E3779B1u) >> (32 - SetBits); }

    // Kept out of line, and given the colour as a value, so the hit above stays a handful of
    // instructions with everything in registers.
    RASTERO_NOINLINE uint8_t Miss(uint32_t key) {
        uint32_t* set = slots + 2 * SetOf(key);
        if (set[1] >> 8 == key) {
            std::swap(set[0], set[1]);
            return static_cast<uint8_t>(set[0]);
        }
        const uint32_t* found = std::lower_bound(own, own + ownCount, Slot(key, 0));
        uint32_t slot = 0;
        if (found != own + ownCount && *found >> 8 == key) {
            slot = *found;
        } else {
            const BmpPixel color{static_cast<uint8_t>(key), static_cast<uint8_t>(key >> 8),
                                 static_cast<uint8_t>(key >> 16), 0};
            slot = Slot(key, image.NearestPaletteIndex(color));
        }
        Insert(slot);
        return static_cast<uint8_t>(slot);
    }

    // The new slot goes first in its set, the old first one second.
    void Insert(uint32_t slot) {
        uint32_t* set = slots + 2 * SetOf(slot >> 8);
        set[1] = set[0];
        set[0] = slot;
    }

    const BmpImage& image;
    uint32_t slots[2 << SetBits];
    uint32_t own[256];
    int32_t ownCount = 0;
};

// Row encoders: pixels x0 .. x0 + count - 1 of a stored row from `in`, one tile row. Only the
// bytes of those pixels are written, so a row's fill keeps the zero the buffer started with.

// 1, 4 or 8 bits: PerByte palette indexes a byte, the leftmost in the high bits, the unused low
// bits of a row's last byte 0. x0 is a multiple of PerByte. The indexes are found first and
// packed after, so the packing loop holds no call and keeps its byte in a register.
template <int32_t Bits>
struct EncodeIndexed {
    static constexpr int32_t PerByte = 8 / Bits;
    PaletteMatcher* matcher;

    void operator()(const BmpPixel* in, int32_t x0, int32_t count, uint8_t* row) const {
        uint8_t* bytes = row + x0 / PerByte;
        uint8_t found[TilePixels];
        uint8_t* indexes = Bits == 8 ? bytes : found;
        matcher->IndexesOf(in, count, indexes);
        if (Bits == 8) return;
        const int32_t whole = count / PerByte;
        for (int32_t j = 0; j < whole; ++j) bytes[j] = Pack(indexes + PerByte * j, PerByte);
        if (count % PerByte != 0) bytes[whole] = Pack(indexes + PerByte * whole, count % PerByte);
    }

    static uint8_t Pack(const uint8_t* indexes, int32_t slots) {
        uint32_t packed = 0;
        for (int32_t k = 0; k < slots; ++k) packed |= uint32_t{indexes[k]} << (8 - Bits * (k + 1));
        return static_cast<uint8_t>(packed);
    }
};

// 5-6-5, alpha dropped. The pixel is read as one little-endian word, the byte order of BmpPixel on
// the hosts the format is written on, so the compiler can do several pixels at once.
struct Encode16 {
    void operator()(const BmpPixel* in, int32_t x0, int32_t count, uint8_t* row) const {
        uint8_t* words = row + 2 * static_cast<size_t>(x0);
        for (int32_t i = 0; i < count; ++i) {
            uint32_t color;
            std::memcpy(&color, &in[i], sizeof color);
            const auto word = static_cast<uint16_t>((color >> 8 & 0xF800) | (color >> 5 & 0x07E0) | (color >> 3 & 0x001F));
            std::memcpy(words + 2 * i, &word, sizeof word);
        }
    }
};

struct Encode24 {
    int32_t width;
    void operator()(const BmpPixel* in, int32_t x0, int32_t count, uint8_t* row) const {
        Pack24(in, count, width - x0, row + 3 * static_cast<size_t>(x0));
    }
};

struct Encode32 {
    void operator()(const BmpPixel* in, int32_t x0, int32_t count, uint8_t* row) const {
        std::memcpy(row + 4 * static_cast<size_t>(x0), in, sizeof(BmpPixel) * static_cast<size_t>(count));
    }
};

}  // namespace rastero
