#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>

#include "bmpfile/BmpHeaders.h"
#include "bmpfile/PixelTiles.h"
#include "boundary/FileReplace.h"
#include "image/BmpImage.h"

namespace rastero {

namespace {

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

// Encodes `rows` stored rows, the first from image row yFirst and each next one from the row
// above, a tile at a time: the tile is taken from the columns, then each of its rows encoded.
template <typename Encode>
void EncodeRows(const BmpImage& image, uint8_t* block, int64_t stride, int32_t rows, int32_t yFirst,
                const Encode& encode) {
    const int32_t width = image.GetWidth();
    for (int32_t first = 0; first < rows; first += TileMaxRows) {
        const int32_t tileRows = std::min(TileMaxRows, rows - first);
        PixelTile tile(tileRows);
        uint8_t* bottom = block + first * stride;
        for (int32_t x0 = 0; x0 < width; x0 += tile.pitch) {
            const int32_t count = std::min(tile.pitch, width - x0);
            LoadTile(image, tile, yFirst - first - (tileRows - 1), x0, count);
            for (int32_t i = 0; i < tileRows; ++i) encode(tile.Row(tileRows - 1 - i), x0, count, bottom + i * stride);
        }
    }
}

template <typename Encode>
bool EncodeOneRow(const BmpImage& image, uint8_t* buffer, int32_t y, bool fits, const Encode& encode) {
    if (!fits) return false;
    EncodeRows(image, buffer, 0, 1, y, encode);
    return true;
}

// Writes the rows bottom row first, a block of rows per stream write.
template <typename Encode>
bool WriteRows(const BmpImage& image, std::FILE* file, const Encode& encode) {
    const int32_t height = image.GetHeight();
    const int64_t stride = RowStride(image.GetWidth(), image.GetDepth());
    const int32_t blockRows = RowsPerBlock(stride, height);
    const auto blockBytes = static_cast<size_t>(blockRows * stride);
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[blockBytes]());
    if (!block) return false;
    for (int32_t y = height - 1; y >= 0;) {
        const int32_t rows = std::min(blockRows, y + 1);
        EncodeRows(image, block.get(), stride, rows, y, encode);
        const auto bytes = static_cast<size_t>(rows * stride);
        if (std::fwrite(block.get(), 1, bytes, file) != bytes) return false;
        y -= rows;
    }
    return true;
}

bool WriteIndexedRows(const BmpImage& image, std::FILE* file) {
    PaletteMatcher matcher(image);
    switch (image.GetDepth()) {
        case 1: return WriteRows(image, file, EncodeIndexed<1>{&matcher});
        case 4: return WriteRows(image, file, EncodeIndexed<4>{&matcher});
        default: return WriteRows(image, file, EncodeIndexed<8>{&matcher});
    }
}

bool WritePixelRows(const BmpImage& image, std::FILE* file) {
    switch (image.GetDepth()) {
        case 16: return WriteRows(image, file, Encode16{});
        case 24: return WriteRows(image, file, Encode24{image.GetWidth()});
        case 32: return WriteRows(image, file, Encode32{});
        default: return WriteIndexedRows(image, file);
    }
}

// Every value the library can hold gives sizes below 2^32 (at most 2^28 pixels of 4 bytes).
uint32_t ToUint32(double value) { return static_cast<uint32_t>(static_cast<uint64_t>(value)); }

// The size fields, computed in double precision in this order so they match bit for bit what
// hosts already exchanging files with this format were given.
void StoreHeaders(const BmpImage& image, uint8_t* bytes) {
    const int32_t depth = image.GetDepth();
    const double bytesPerPixel = depth * 0.125;
    const double rowBytes = std::ceil(bytesPerPixel * image.GetWidth());
    double fill = 4 - static_cast<int32_t>(rowBytes) % 4;
    if (fill == 4) fill = 0;
    const double stride = fill + rowBytes;
    const double dataBytes = stride * image.GetHeight();
    double tableBytes = 0;
    if (IsIndexedDepth(depth)) tableBytes = IntPower(2, depth) * 4.0;
    if (depth == 16) tableBytes = BmpMaskBlockSize;

    BmpFileHeader fileHeader;
    fileHeader.bfSize = ToUint32((tableBytes + dataBytes) + BmpHeadersSize);
    fileHeader.bfOffBits = ToUint32(tableBytes + BmpHeadersSize);
    BmpInfoHeader info;
    info.biSize = BmpInfoHeaderSize;
    info.biWidth = image.GetWidth();
    info.biHeight = image.GetHeight();
    info.biBitCount = static_cast<uint16_t>(depth);
    info.biCompression = depth == 16 ? BI_BITFIELDS : BI_RGB;
    info.biSizeImage = ToUint32(dataBytes);
    // Only the header says 3780 for an unset resolution; the image keeps its 0.
    const int32_t x = image.GetXPixelsPerMeter();
    const int32_t y = image.GetYPixelsPerMeter();
    info.biXPelsPerMeter = x == 0 ? DefaultPixelsPerMeter : x;
    info.biYPelsPerMeter = y == 0 ? DefaultPixelsPerMeter : y;
    fileHeader.Store(bytes);
    info.Store(bytes + BmpFileHeaderSize);
}

// The palette at 1, 4 and 8 bits, entries in memory order with their alpha byte; the 5-6-5 mask
// block at 16 bits, each mask in the low half of its 32-bit slot.
bool WriteColorTable(const BmpImage& image, std::FILE* file) {
    const int32_t depth = image.GetDepth();
    if (IsIndexedDepth(depth)) {
        const auto count = static_cast<size_t>(IntPower(2, depth));
        return std::fwrite(image.PaletteEntries(), BmpPaletteEntrySize, count, file) == count;
    }
    if (depth != 16) return true;
    const uint8_t masks[BmpMaskBlockSize] = {
        WrittenRedMask16 & 0xFF,   WrittenRedMask16 >> 8,   0, 0,
        WrittenGreenMask16 & 0xFF, WrittenGreenMask16 >> 8, 0, 0,
        WrittenBlueMask16 & 0xFF,  WrittenBlueMask16 >> 8,  0, 0};
    return std::fwrite(masks, 1, sizeof masks, file) == sizeof masks;
}

bool WriteImage(const BmpImage& image, std::FILE* file) {
    uint8_t headers[BmpHeadersSize];
    StoreHeaders(image, headers);
    return std::fwrite(headers, 1, sizeof headers, file) == sizeof headers && WriteColorTable(image, file) &&
           WritePixelRows(image, file) && std::fflush(file) == 0;
}

// A device or a FIFO cannot be replaced, so it is written in place.
bool WriteInPlace(const BmpImage& image, const char* path) {
    StreamGuard guard(std::fopen(path, "wb"));
    if (!guard.Get()) return false;
    const bool written = WriteImage(image, guard.Get());
    return guard.Close() && written;
}

// The new file takes the target's place only once every byte of it is written and it is closed,
// so a full disk or a failing medium never leaves a torn file over the earlier one.
bool WriteAndReplace(const BmpImage& image, const char* path) {
    TempFile temp;
    if (!CreateTempFileBeside(path, temp)) return false;
    StreamGuard guard(temp.stream);
    const bool written = WriteImage(image, guard.Get());
    if (guard.Close() && written && ReplaceFile(temp.path.c_str(), path)) return true;
    RemoveFile(temp.path.c_str());
    return false;
}

}  // namespace

bool BmpImage::EncodeRow1(uint8_t* buffer, int32_t length, int32_t y) const {
    PaletteMatcher matcher(*this);
    return EncodeOneRow(*this, buffer, y, width <= 8 * int64_t{length}, EncodeIndexed<1>{&matcher});
}

bool BmpImage::EncodeRow4(uint8_t* buffer, int32_t length, int32_t y) const {
    PaletteMatcher matcher(*this);
    return EncodeOneRow(*this, buffer, y, width <= 2 * int64_t{length}, EncodeIndexed<4>{&matcher});
}

bool BmpImage::EncodeRow8(uint8_t* buffer, int32_t length, int32_t y) const {
    PaletteMatcher matcher(*this);
    return EncodeOneRow(*this, buffer, y, width <= length, EncodeIndexed<8>{&matcher});
}

bool BmpImage::EncodeRow24(uint8_t* buffer, int32_t length, int32_t y) const {
    return EncodeOneRow(*this, buffer, y, 3 * int64_t{width} <= length, Encode24{width});
}

bool BmpImage::EncodeRow32(uint8_t* buffer, int32_t length, int32_t y) const {
    return EncodeOneRow(*this, buffer, y, 4 * int64_t{width} <= length, Encode32{});
}

bool BmpImage::SaveFile(const char* path) {
    if (!CheckTypeSizes()) return false;
    // No file can be opened under an empty name; refuse it before a temporary file is made in the
    // current folder.
    if (path == nullptr || *path == '\0') return false;
    // The image always has its palette at the indexed depths; should it not, it gets the standard one.
    if (IsIndexedDepth(depth) && !palette && !SetDepth(depth)) return false;
    // Opening a protected file for writing fails; so does replacing one.
    if (IsExistingUnwritableFile(path)) return false;
    if (IsExistingNonRegularFile(path)) return WriteInPlace(*this, path);
    return WriteAndReplace(*this, path);
}

}  // namespace rastero
