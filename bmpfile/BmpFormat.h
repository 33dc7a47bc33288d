#pragma once

#include <cstdint>

// The facts of the uncompressed Windows bitmap format, under their published names. Private to the
// BMP code: the platform headers of some hosts define BI_RGB and friends as macros, so this header
// is not included next to them.

namespace rastero {

// "BM" read as a little-endian 16-bit word.
constexpr uint16_t BmpSignature = 0x4D42;

// biCompression values.
constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_RLE8 = 1;
constexpr uint32_t BI_RLE4 = 2;
constexpr uint32_t BI_BITFIELDS = 3;

// Sizes of the two header records on disk and of the block that follows them at 16 bits.
constexpr int32_t BmpFileHeaderSize = 14;
constexpr int32_t BmpInfoHeaderSize = 40;
constexpr int32_t BmpHeadersSize = BmpFileHeaderSize + BmpInfoHeaderSize;
// Three 32-bit slots, red, green, blue; only the low 16 bits of each carry a mask.
constexpr int32_t BmpMaskBlockSize = 12;
constexpr int32_t BmpPaletteEntrySize = 4;

// The masks a 16-bit BI_RGB file implies: five bits per channel.
constexpr uint16_t DefaultRedMask16 = 0x7C00;
constexpr uint16_t DefaultGreenMask16 = 0x03E0;
constexpr uint16_t DefaultBlueMask16 = 0x001F;

// The masks the writer always stores at 16 bits: 5-6-5.
constexpr uint16_t WrittenRedMask16 = 0xF800;
constexpr uint16_t WrittenGreenMask16 = 0x07E0;
constexpr uint16_t WrittenBlueMask16 = 0x001F;

}  // namespace rastero
