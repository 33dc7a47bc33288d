#pragma once

// The whole image state a load must leave, and one check of it that names what differs.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/TestSupport.h"
#include "tests/bmpfile/BmpFixture.h"

namespace rastero {

struct ImageState {
    int32_t width = 1;
    int32_t height = 1;
    int32_t depth = 1;
    int32_t xPixelsPerMeter = 0;
    int32_t yPixelsPerMeter = 0;
    std::vector<BmpPixel> palette;
    // Pixel (x, y) at x * height + y, as the image stores it.
    std::vector<BmpPixel> pixels;
};

inline std::vector<BmpPixel> StandardPalette(int32_t depth) {
    BmpImage image;
    image.SetDepth(depth);
    std::vector<BmpPixel> palette;
    if (image.HasPalette()) palette.assign(image.PaletteEntries(), image.PaletteEntries() + image.PaletteSize());
    return palette;
}

inline ImageState StateOf(const BmpImage& image) {
    ImageState state;
    state.width = image.GetWidth();
    state.height = image.GetHeight();
    state.depth = image.GetDepth();
    state.xPixelsPerMeter = image.GetXPixelsPerMeter();
    state.yPixelsPerMeter = image.GetYPixelsPerMeter();
    if (image.HasPalette()) {
        state.palette.assign(image.PaletteEntries(), image.PaletteEntries() + image.PaletteSize());
    }
    for (int32_t x = 0; x < image.GetWidth(); ++x) {
        state.pixels.insert(state.pixels.end(), image.Column(x), image.Column(x) + image.GetHeight());
    }
    return state;
}

// The refused state: one white pixel at depth 1 with the standard palette.
inline ImageState FallbackState(int32_t xPixelsPerMeter, int32_t yPixelsPerMeter) {
    ImageState state;
    state.xPixelsPerMeter = xPixelsPerMeter;
    state.yPixelsPerMeter = yPixelsPerMeter;
    state.palette = StandardPalette(1);
    state.pixels = {WhitePixel};
    return state;
}

inline void ExpectState(const ImageState& have, const ImageState& want, const std::string& name) {
    EXPECT_EQ(have.width, want.width) << name << ": width";
    EXPECT_EQ(have.height, want.height) << name << ": height";
    EXPECT_EQ(have.depth, want.depth) << name << ": depth";
    EXPECT_EQ(have.xPixelsPerMeter, want.xPixelsPerMeter) << name << ": x resolution";
    EXPECT_EQ(have.yPixelsPerMeter, want.yPixelsPerMeter) << name << ": y resolution";
    ASSERT_EQ(have.palette.size(), want.palette.size()) << name << ": palette size";
    for (size_t i = 0; i < want.palette.size(); ++i) {
        if (have.palette[i] != want.palette[i]) {
            ADD_FAILURE() << name << ": palette entry " << i << ": have " << have.palette[i] << ", want "
                          << want.palette[i];
            return;
        }
    }
    ASSERT_EQ(have.pixels.size(), want.pixels.size()) << name << ": pixel count";
    for (size_t i = 0; i < want.pixels.size(); ++i) {
        if (have.pixels[i] != want.pixels[i]) {
            ADD_FAILURE() << name << ": pixel (" << i / want.height << ", " << i % want.height << "): have "
                          << have.pixels[i] << ", want " << want.pixels[i];
            return;
        }
    }
}

// Where an accepted file's parts begin, as the reader must find them.
struct Offsets {
    int32_t paletteRead;
    size_t paletteAt;
    size_t rowsAt;
};

inline uint8_t ByteOr(const Bytes& bytes, size_t offset, uint8_t otherwise) {
    return offset < bytes.size() ? bytes[offset] : otherwise;
}

inline BmpPixel& PixelOf(ImageState& state, int32_t x, int32_t y) {
    return state.pixels[static_cast<size_t>(x) * state.height + y];
}

// Entries read as far as the bytes go (the rest of a cut entry keeps the standard colour), the
// entries after the ones the file holds white.
inline void ExpectedPalette(ImageState& state, const Bytes& bytes, const Offsets& at) {
    state.palette = StandardPalette(state.depth);
    for (int32_t i = 0; i < static_cast<int32_t>(state.palette.size()); ++i) {
        BmpPixel& entry = state.palette[i];
        if (i >= at.paletteRead) {
            entry = WhitePixel;
            continue;
        }
        const size_t offset = at.paletteAt + 4 * static_cast<size_t>(i);
        entry = BmpPixel{ByteOr(bytes, offset, entry.blue), ByteOr(bytes, offset + 1, entry.green),
                         ByteOr(bytes, offset + 2, entry.red), ByteOr(bytes, offset + 3, entry.alpha)};
    }
}

// Rows bottom first until the first short one; it and the rows above stay white.
inline void ExpectedRows(ImageState& state, const Bytes& bytes, size_t rowsAt) {
    const auto stride = static_cast<size_t>(RowStride(state.width, state.depth));
    for (int32_t row = 0; row < state.height; ++row) {
        const size_t start = rowsAt + row * stride;
        if (start + stride > bytes.size()) return;
        for (int32_t x = 0; x < state.width; ++x) {
            PixelOf(state, x, state.height - 1 - row) = ReferencePixel(&bytes[start], state.depth, x, state.palette);
        }
    }
}

// One word at a time: a word that cannot be read leaves the last one, a word cut in half takes
// the byte that arrived as its low byte.
inline void ExpectedRows16(ImageState& state, const Bytes& bytes, size_t rowsAt) {
    uint16_t masks[3] = {DefaultRedMask16, DefaultGreenMask16, DefaultBlueMask16};
    if (Little32(bytes, 30) == BI_BITFIELDS) {
        for (int i = 0; i < 3; ++i) {
            masks[i] = static_cast<uint16_t>(ByteOr(bytes, 54 + 4 * i, masks[i] & 0xFF) |
                                             ByteOr(bytes, 55 + 4 * i, masks[i] >> 8) << 8);
        }
    }
    const auto fill = static_cast<size_t>(RowStride(state.width, 16)) - 2 * static_cast<size_t>(state.width);
    size_t position = rowsAt;
    uint16_t word = 0;
    for (int32_t row = 0; row < state.height; ++row, position += fill) {
        for (int32_t x = 0; x < state.width; ++x, position += 2) {
            if (position + 2 <= bytes.size()) {
                word = Little16(bytes, position);
            } else if (position < bytes.size()) {
                word = static_cast<uint16_t>((word & 0xFF00) | bytes[position]);
            }
            PixelOf(state, x, state.height - 1 - row) = BmpPixel{ReferenceChannel(word, masks[2]),
                                                                 ReferenceChannel(word, masks[1]),
                                                                 ReferenceChannel(word, masks[0]), 0};
        }
    }
}

// What loading an accepted file leaves, worked out a byte at a time.
inline ImageState AcceptedState(const Bytes& bytes, const Offsets& at) {
    ImageState state;
    state.width = static_cast<int32_t>(Little32(bytes, 18));
    state.height = static_cast<int32_t>(Little32(bytes, 22));
    state.depth = Little16(bytes, 28);
    state.xPixelsPerMeter = static_cast<int32_t>(Little32(bytes, 38));
    state.yPixelsPerMeter = static_cast<int32_t>(Little32(bytes, 42));
    ExpectedPalette(state, bytes, at);
    state.pixels.assign(static_cast<size_t>(state.width) * state.height, WhitePixel);
    if (state.depth == 16) {
        ExpectedRows16(state, bytes, at.rowsAt);
    } else {
        ExpectedRows(state, bytes, at.rowsAt);
    }
    return state;
}

}  // namespace rastero
