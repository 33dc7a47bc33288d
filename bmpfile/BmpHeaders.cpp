#include "bmpfile/BmpHeaders.h"

#include <algorithm>
#include <climits>

namespace rastero {

static_assert(CHAR_BIT == 8 && sizeof(uint8_t) == 1, "the byte type must be one 8-bit byte");
static_assert(sizeof(uint16_t) == 2 && sizeof(int16_t) == 2, "16-bit fields must be 2 bytes");
static_assert(sizeof(uint32_t) == 4 && sizeof(int32_t) == 4, "32-bit fields must be 4 bytes");
static_assert(sizeof(BmpPixel) == BmpPaletteEntrySize, "a palette entry is read straight into a pixel");

namespace {

void Store16(uint8_t*& out, uint16_t value) {
    *out++ = static_cast<uint8_t>(value);
    *out++ = static_cast<uint8_t>(value >> 8);
}

void Store32(uint8_t*& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) *out++ = static_cast<uint8_t>(value >> shift);
}

int32_t SwappedSigned(int32_t value) {
    return static_cast<int32_t>(AsSigned32(SwapBytes32(static_cast<uint32_t>(value))));
}

}  // namespace

uint16_t SwapBytes16(uint16_t value) { return static_cast<uint16_t>((value << 8) | (value >> 8)); }

uint32_t SwapBytes32(uint32_t value) {
    return (value & 0xFFu) << 24 | (value & 0xFF00u) << 8 | (value >> 8 & 0xFF00u) | value >> 24;
}

void BmpFileHeader::SwapByteOrder() {
    bfType = SwapBytes16(bfType);
    bfSize = SwapBytes32(bfSize);
    bfReserved1 = SwapBytes16(bfReserved1);
    bfReserved2 = SwapBytes16(bfReserved2);
    bfOffBits = SwapBytes32(bfOffBits);
}

bool BmpFileHeader::ReadSignature(std::FILE* stream) { return ReadItems(&bfType, 2, 1, stream); }

bool BmpFileHeader::ReadAfterSignature(std::FILE* stream) {
    bool ok = ReadItems(&bfSize, 4, 1, stream);
    ok &= ReadItems(&bfReserved1, 2, 1, stream);
    ok &= ReadItems(&bfReserved2, 2, 1, stream);
    ok &= ReadItems(&bfOffBits, 4, 1, stream);
    return ok;
}

bool BmpFileHeader::Read(std::FILE* stream) {
    bool ok = ReadSignature(stream);
    ok &= ReadAfterSignature(stream);
    return ok;
}

void BmpFileHeader::Store(uint8_t* bytes) const {
    Store16(bytes, bfType);
    Store32(bytes, bfSize);
    Store16(bytes, bfReserved1);
    Store16(bytes, bfReserved2);
    Store32(bytes, bfOffBits);
}

void BmpInfoHeader::SwapByteOrder() {
    biSize = SwapBytes32(biSize);
    biWidth = SwappedSigned(biWidth);
    biHeight = SwappedSigned(biHeight);
    biPlanes = SwapBytes16(biPlanes);
    biBitCount = SwapBytes16(biBitCount);
    biCompression = SwapBytes32(biCompression);
    biSizeImage = SwapBytes32(biSizeImage);
    biXPelsPerMeter = SwappedSigned(biXPelsPerMeter);
    biYPelsPerMeter = SwappedSigned(biYPelsPerMeter);
    biClrUsed = SwapBytes32(biClrUsed);
    biClrImportant = SwapBytes32(biClrImportant);
}

bool BmpInfoHeader::Read(std::FILE* stream) {
    bool ok = ReadItems(&biSize, 4, 1, stream);
    ok &= ReadItems(&biWidth, 4, 1, stream);
    ok &= ReadItems(&biHeight, 4, 1, stream);
    ok &= ReadItems(&biPlanes, 2, 1, stream);
    ok &= ReadItems(&biBitCount, 2, 1, stream);
    ok &= ReadItems(&biCompression, 4, 1, stream);
    ok &= ReadItems(&biSizeImage, 4, 1, stream);
    ok &= ReadItems(&biXPelsPerMeter, 4, 1, stream);
    ok &= ReadItems(&biYPelsPerMeter, 4, 1, stream);
    ok &= ReadItems(&biClrUsed, 4, 1, stream);
    ok &= ReadItems(&biClrImportant, 4, 1, stream);
    return ok;
}

void BmpInfoHeader::Store(uint8_t* bytes) const {
    Store32(bytes, biSize);
    Store32(bytes, static_cast<uint32_t>(biWidth));
    Store32(bytes, static_cast<uint32_t>(biHeight));
    Store16(bytes, biPlanes);
    Store16(bytes, biBitCount);
    Store32(bytes, biCompression);
    Store32(bytes, biSizeImage);
    Store32(bytes, static_cast<uint32_t>(biXPelsPerMeter));
    Store32(bytes, static_cast<uint32_t>(biYPelsPerMeter));
    Store32(bytes, biClrUsed);
    Store32(bytes, biClrImportant);
}

bool ReadItems(void* destination, size_t itemSize, int32_t count, std::FILE* stream) {
    if (std::feof(stream)) return false;
    if (count <= 0) return true;
    const size_t items = std::fread(destination, itemSize, static_cast<size_t>(count), stream);
    return items >= static_cast<size_t>(count);
}

void SkipBytes(std::FILE* stream, int64_t count) {
    uint8_t scratch[16384];
    while (count > 0) {
        const auto chunk = static_cast<int32_t>(std::min<int64_t>(count, sizeof scratch));
        if (!ReadItems(scratch, 1, chunk, stream)) return;
        count -= chunk;
    }
}

size_t ReadBlock(uint8_t* destination, size_t length, std::FILE* stream) {
    if (std::feof(stream)) return 0;
    return std::fread(destination, 1, length, stream);
}

bool CheckTypeSizes() { return true; }

int64_t RowStride(int32_t width, int32_t depth) {
    const int64_t bits = int64_t{width} * depth;
    auto bytes = static_cast<int64_t>(static_cast<double>(bits) * 0.125);
    while (bytes * 8 < bits) ++bytes;
    while (bytes % 4 != 0) ++bytes;
    return bytes;
}

int32_t RowsPerBlock(int64_t stride, int32_t height, int64_t blockBytes) {
    return static_cast<int32_t>(std::max<int64_t>(1, std::min<int64_t>(blockBytes / stride, height)));
}

int64_t AsSigned32(uint32_t value) {
    return value <= INT32_MAX ? int64_t{value} : int64_t{value} - (int64_t{1} << 32);
}

bool StreamGuard::Close() {
    if (!stream) return true;
    const bool closed = std::fclose(stream) == 0;
    stream = nullptr;
    return closed;
}

}  // namespace rastero
