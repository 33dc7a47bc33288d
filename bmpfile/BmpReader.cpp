#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <new>

#include "bmpfile/BmpHeaders.h"
#include "bmpfile/BmpReading.h"
#include "bmpfile/PixelTiles.h"
#include "bmpfile/RowDecoders.h"
#include "image/BmpImage.h"

namespace rastero {

namespace {

// Decodes `rows` stored rows, the first being image row yFirst and each next one the row above,
// a tile at a time. A tile's rows are filled bottom up, so each column is then written upwards
// from the tile's top row.
template <typename Decode>
void DecodeRows(BmpImage& image, const uint8_t* block, int64_t stride, int32_t rows, int32_t yFirst,
                const Decode& decode) {
    const int32_t width = image.GetWidth();
    for (int32_t first = 0; first < rows; first += TileMaxRows) {
        const int32_t tileRows = std::min(TileMaxRows, rows - first);
        PixelTile tile(tileRows);
        const uint8_t* bottom = block + first * stride;
        for (int32_t x0 = 0; x0 < width; x0 += tile.pitch) {
            const int32_t count = std::min(tile.pitch, width - x0);
            for (int32_t i = 0; i < tileRows; ++i) decode(bottom + i * stride, x0, count, tile.Row(tileRows - 1 - i));
            StoreTile(image, tile, yFirst - first - (tileRows - 1), x0, count);
        }
    }
}

template <typename Decode>
bool DecodeOneRow(BmpImage& image, const uint8_t* bytes, int32_t length, int32_t y, bool fits,
                  const Decode& decode) {
    if (!fits) return false;
    DecodeRows(image, bytes, length, 1, y, decode);
    return true;
}

// Rows of 1, 4, 8, 24 and 32 bits stop at the first short row; it and the rows above stay white.
struct StopAtShortRow {
    void AfterBand(const uint8_t*, int64_t, int32_t, int32_t) {}
    int32_t OnShort(BmpImage&, uint8_t*, int64_t, size_t, int32_t yShort) { return yShort + 1; }
};

// Rows of 16 bits do not stop: a word that cannot be read leaves the word buffer as it was, so
// every pixel from the end of the data on repeats the last word. A word cut in half takes the
// byte that arrived as its low byte and keeps the old high byte. The buffer starts at 0.
class RepeatLastWord {
public:
    explicit RepeatLastWord(const Decode16& decode) : decode(decode) {}

    void AfterBand(const uint8_t* band, int64_t stride, int32_t rows, int32_t width) {
        lastWord = WordAt(band + (rows - 1) * stride + 2 * int64_t{width - 1});
    }

    int32_t OnShort(BmpImage& image, uint8_t* band, int64_t stride, size_t got, int32_t yShort) {
        const int32_t width = image.GetWidth();
        const int64_t whole = static_cast<int64_t>(got) / stride;
        const int64_t offset = static_cast<int64_t>(got) % stride;
        uint8_t* row = band + whole * stride;
        const uint16_t word = WordAtTheEnd(row, whole > 0 ? row - stride : nullptr, offset, width);
        for (int64_t x = offset / 2; x < width; ++x) {
            row[2 * x] = static_cast<uint8_t>(word);
            row[2 * x + 1] = static_cast<uint8_t>(word >> 8);
        }
        DecodeRows(image, row, stride, 1, yShort, decode);
        const BmpPixel repeated = decode.Apply(word);
        for (int32_t x = 0; x < width; ++x) std::fill(image.Column(x), image.Column(x) + yShort, repeated);
        return 0;
    }

private:
    // The word buffer once the data ran out `offset` bytes into `row`; `previous` is the row
    // before it in the same block, if any.
    uint16_t WordAtTheEnd(const uint8_t* row, const uint8_t* previous, int64_t offset, int32_t width) const {
        const int64_t words = std::min<int64_t>(offset / 2, width);
        uint16_t word = lastWord;
        if (words > 0) {
            word = WordAt(row + 2 * (words - 1));
        } else if (previous) {
            word = WordAt(previous + 2 * int64_t{width - 1});
        }
        if (offset < 2 * int64_t{width} && offset % 2 == 1) {
            word = static_cast<uint16_t>((word & 0xFF00) | row[offset - 1]);
        }
        return word;
    }

    const Decode16& decode;
    uint16_t lastWord = 0;
};

// Reads the rows bottom row first, a block of rows per stream read, and sets `unreached` to the
// number of top rows that no data reached. False only when no block buffer could be had.
template <typename Decode, typename Ending>
bool ReadRows(BmpImage& image, std::FILE* file, const Decode& decode, Ending ending, int32_t& unreached) {
    const int32_t width = image.GetWidth();
    const int32_t height = image.GetHeight();
    const int64_t stride = RowStride(width, image.GetDepth());
    const int32_t blockRows = RowsPerBlock(stride, height);
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[static_cast<size_t>(blockRows * stride)]);
    unreached = height;
    if (!block) return false;
    for (int32_t y = height - 1; y >= 0;) {
        const int32_t rows = std::min(blockRows, y + 1);
        const auto wanted = static_cast<size_t>(rows * stride);
        const size_t got = ReadBlock(block.get(), wanted, file);
        const auto whole = static_cast<int32_t>(static_cast<int64_t>(got) / stride);
        DecodeRows(image, block.get(), stride, whole, y, decode);
        if (got < wanted) {
            unreached = ending.OnShort(image, block.get(), stride, got, y - whole);
            return true;
        }
        ending.AfterBand(block.get(), stride, rows, width);
        y -= rows;
    }
    unreached = 0;
    return true;
}

// Only uncompressed rows: BI_RGB at every depth, BI_BITFIELDS at 16 bits.
bool IsAcceptedCompression(const BmpInfoHeader& info) {
    if (info.biCompression == BI_BITFIELDS) return info.biBitCount == 16;
    return info.biCompression == BI_RGB;
}

// Where the bytes after the 40 header fields go, as the file declares them.
struct Layout {
    // Bytes of a larger info header past its standard 40.
    int64_t headerTail;
    // Bytes from the end of the info header to bfOffBits; negative in a damaged file.
    int64_t room;
};

// The palette length comes from the pixel offset, not from biClrUsed. A larger info header
// (108 or 124 bytes from current editors) pushes the palette back by its extra bytes; without
// reading past them every entry would be shifted.
Layout LayoutOf(const BmpFileHeader& fileHeader, const BmpInfoHeader& info) {
    const int64_t room = AsSigned32(fileHeader.bfOffBits - static_cast<uint32_t>(BmpHeadersSize));
    if (IsIndexedDepth(info.biBitCount)) {
        const int64_t infoSize = AsSigned32(info.biSize);
        const int64_t afterFileHeader = AsSigned32(fileHeader.bfOffBits - static_cast<uint32_t>(BmpFileHeaderSize));
        if (infoSize > BmpInfoHeaderSize && infoSize <= afterFileHeader) {
            return Layout{infoSize - BmpInfoHeaderSize, afterFileHeader - infoSize};
        }
    }
    return Layout{0, room};
}

// Ends a refused load in the fixed fallback state: one white pixel at depth 1.
bool Refuse(BmpImage& image) {
    image.Resize(1, 1);
    image.SetDepth(1);
    return false;
}

}  // namespace

bool BmpImage::DecodeRow1(const uint8_t* bytes, int32_t length, int32_t y) {
    return DecodeOneRow(*this, bytes, length, y, width <= 8 * int64_t{length}, DecodeIndexed<1>(*this));
}

bool BmpImage::DecodeRow4(const uint8_t* bytes, int32_t length, int32_t y) {
    return DecodeOneRow(*this, bytes, length, y, width <= 2 * int64_t{length}, DecodeIndexed<4>(*this));
}

bool BmpImage::DecodeRow8(const uint8_t* bytes, int32_t length, int32_t y) {
    return DecodeOneRow(*this, bytes, length, y, width <= length, DecodeIndexed<8>(*this));
}

// Unlike the loader's rows, a row decoded on its own keeps each pixel's alpha.
bool BmpImage::DecodeRow24(const uint8_t* bytes, int32_t length, int32_t y) {
    if (3 * int64_t{width} > length) return false;
    for (int32_t x = 0; x < width; ++x) {
        const uint8_t* source = bytes + 3 * static_cast<size_t>(x);
        BmpPixel& pixel = columns[x][y];
        pixel = BmpPixel{source[0], source[1], source[2], pixel.alpha};
    }
    return true;
}

bool BmpImage::DecodeRow32(const uint8_t* bytes, int32_t length, int32_t y) {
    return DecodeOneRow(*this, bytes, length, y, 4 * int64_t{width} <= length, Decode32{});
}

namespace {

// Entries the file holds keep what they read (a partial entry keeps its standard colour in the
// bytes that did not arrive); the entries after them are white.
void ReadPalette(BmpImage& image, std::FILE* file, const Layout& layout) {
    const int64_t count = std::min<int64_t>(layout.room / BmpPaletteEntrySize, IntPower(2, image.GetDepth()));
    BmpPixel* entries = image.PaletteEntries();
    for (int64_t i = 0; i < count; ++i) ReadItems(&entries[i], BmpPaletteEntrySize, 1, file);
    for (auto i = static_cast<int32_t>(std::max<int64_t>(count, 0)); i < image.PaletteSize(); ++i) {
        image.SetPaletteColor(i, WhitePixel);
    }
}

// Only the low half of each 32-bit slot carries the mask; a mask that cannot be read keeps, in
// the bytes that did not arrive, its default.
void ReadMasks(StoredRows& rows, std::FILE* file) {
    uint16_t unused = 0;
    ReadItems(&rows.redMask, 2, 1, file);
    ReadItems(&unused, 2, 1, file);
    ReadItems(&rows.greenMask, 2, 1, file);
    ReadItems(&unused, 2, 1, file);
    ReadItems(&rows.blueMask, 2, 1, file);
    ReadItems(&unused, 2, 1, file);
}

// The colour table or mask block, then the bytes between it and where the rows are read from.
void ReadUpToFirstRow(BmpImage& image, std::FILE* file, const Layout& layout, uint32_t compression,
                      StoredRows& rows) {
    int64_t extra = layout.room;
    if (IsIndexedDepth(image.GetDepth())) {
        ReadPalette(image, file, layout);
        extra -= int64_t{BmpPaletteEntrySize} * IntPower(2, image.GetDepth());
    } else if (image.GetDepth() == 16 && compression == BI_BITFIELDS) {
        ReadMasks(rows, file);
        extra -= BmpMaskBlockSize;
    }
    SkipBytes(file, extra);
}

bool ReadPixelRows(BmpImage& image, std::FILE* file, const StoredRows& rows, int32_t& unreached) {
    switch (image.GetDepth()) {
        case 1: return ReadRows(image, file, DecodeIndexed<1>(image), StopAtShortRow{}, unreached);
        case 4: return ReadRows(image, file, DecodeIndexed<4>(image), StopAtShortRow{}, unreached);
        case 8: return ReadRows(image, file, DecodeIndexed<8>(image), StopAtShortRow{}, unreached);
        case 16: {
            const Decode16 decode(rows.redMask, rows.greenMask, rows.blueMask);
            return ReadRows(image, file, decode, RepeatLastWord(decode), unreached);
        }
        case 24: return ReadRows(image, file, Decode24{image.GetWidth()}, StopAtShortRow{}, unreached);
        default: return ReadRows(image, file, Decode32{}, StopAtShortRow{}, unreached);
    }
}

}  // namespace

HeaderVerdict ReadUpToRows(BmpImage& image, std::FILE* file, StoredRows& rows) {
    BmpFileHeader fileHeader;
    bool ok = fileHeader.ReadSignature(file);
    // An empty file leaves the constructed signature in place and is refused with the header.
    if (fileHeader.bfType != BmpSignature) return HeaderVerdict::NotBitmap;
    ok &= fileHeader.ReadAfterSignature(file);
    BmpInfoHeader info;
    ok &= info.Read(file);
    if (!ok) return HeaderVerdict::Refused;

    // Taken before the remaining tests: a refused file still leaves its resolution.
    image.SetPixelsPerMeter(info.biXPelsPerMeter, info.biYPelsPerMeter);
    // SetDepth refuses every bit count but 1, 4, 8, 16, 24 and 32.
    if (!IsAcceptedCompression(info) || !image.SetDepth(info.biBitCount)) return HeaderVerdict::Refused;
    if (info.biWidth <= 0 || info.biHeight <= 0 || !IsWithinLoadLimits(info)) return HeaderVerdict::Refused;

    rows.width = info.biWidth;
    rows.height = info.biHeight;
    const Layout layout = LayoutOf(fileHeader, info);
    SkipBytes(file, layout.headerTail);
    ReadUpToFirstRow(image, file, layout, info.biCompression, rows);
    return HeaderVerdict::Accepted;
}

bool BmpImage::LoadFile(const char* path) {
    if (!CheckTypeSizes()) return false;
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        SetDepth(1);
        Resize(1, 1);
        return false;
    }
    const StreamGuard guard(file);
    StoredRows rows;
    const HeaderVerdict verdict = ReadUpToRows(*this, file, rows);
    if (verdict == HeaderVerdict::NotBitmap) return false;
    if (verdict == HeaderVerdict::Refused || !ResizeUnfilled(rows.width, rows.height)) return Refuse(*this);
    int32_t unreached = height;
    if (!ReadPixelRows(*this, file, rows, unreached)) return Refuse(*this);
    FillTopRowsWhite(unreached);
    return true;
}

}  // namespace rastero
