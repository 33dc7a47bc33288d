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

// What loading an accepted file leaves, worked out a byte at a time: palette entries read as far
// as the bytes go (the rest of a cut entry keeps the standard colour), later entries white, rows
// bottom first until the first short one, and at 16 bits a word buffer that repeats after the end.
inline ImageState AcceptedState(const Bytes& bytes, const Offsets& at) {
    ImageState state;
    state.width = static_cast<int32_t>(Little32(bytes, 18));
    state.height = static_cast<int32_t>(Little32(bytes, 22));
    state.depth = Little16(bytes, 28);
    state.xPixelsPerMeter = static_cast<int32_t>(Little32(bytes, 38));
    state.yPixelsPerMeter = static_cast<int32_t>(Little32(bytes, 42));
    const auto byteAt = [&](size_t offset, uint8_t otherwise) {
        return offset < bytes.size() ? bytes[offset] : otherwise;
    };
    state.palette = StandardPalette(state.depth);
    for (int32_t i = 0; i < static_cast<int32_t>(state.palette.size()); ++i) {
        BmpPixel& entry = state.palette[i];
        if (i >= at.paletteRead) {
            entry = WhitePixel;
            continue;
        }
        const size_t offset = at.paletteAt + 4 * static_cast<size_t>(i);
        entry = BmpPixel{byteAt(offset, entry.blue), byteAt(offset + 1, entry.green), byteAt(offset + 2, entry.red),
                         byteAt(offset + 3, entry.alpha)};
    }
    state.pixels.assign(static_cast<size_t>(state.width) * state.height, WhitePixel);
    const auto stride = static_cast<size_t>(RowStride(state.width, state.depth));
    const auto pixel = [&](int32_t x, int32_t y) -> BmpPixel& {
        return state.pixels[static_cast<size_t>(x) * state.height + y];
    };
    if (state.depth != 16) {
        for (int32_t row = 0; row < state.height; ++row) {
            const size_t start = at.rowsAt + row * stride;
            if (start + stride > bytes.size()) break;
            for (int32_t x = 0; x < state.width; ++x) {
                pixel(x, state.height - 1 - row) = ReferencePixel(&bytes[start], state.depth, x, state.palette);
            }
        }
        return state;
    }
    uint16_t masks[3] = {DefaultRedMask16, DefaultGreenMask16, DefaultBlueMask16};
    if (Little32(bytes, 30) == BI_BITFIELDS) {
        for (int i = 0; i < 3; ++i) {
            masks[i] = static_cast<uint16_t>(byteAt(54 + 4 * i, masks[i] & 0xFF) |
                                             byteAt(55 + 4 * i, masks[i] >> 8) << 8);
        }
    }
    size_t position = at.rowsAt;
    uint16_t word = 0;
    for (int32_t row = 0; row < state.height; ++row) {
        for (int32_t x = 0; x < state.width; ++x) {
            if (position + 2 <= bytes.size()) {
                word = static_cast<uint16_t>(bytes[position] | bytes[position + 1] << 8);
            } else if (position < bytes.size()) {
                word = static_cast<uint16_t>((word & 0xFF00) | bytes[position]);
            }
            position += 2;
            pixel(x, state.height - 1 - row) = BmpPixel{ReferenceChannel(word, masks[2]),
                                                        ReferenceChannel(word, masks[1]),
                                                        ReferenceChannel(word, masks[0]), 0};
        }
        position += stride - 2 * static_cast<size_t>(state.width);
    }
    return state;
}

}  // namespace rastero
