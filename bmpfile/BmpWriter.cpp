#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>

#include "bmpfile/BmpHeaders.h"
#include "bmpfile/BmpWriting.h"
#include "bmpfile/PixelTiles.h"
#include "bmpfile/RowEncoders.h"
#include "boundary/FileReplace.h"
#include "image/BmpImage.h"

namespace rastero {

namespace {

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

}  // namespace

// The size fields are computed in double precision in this order so they match bit for bit what
// hosts already exchanging files with this format were given.
void StoreHeaders(const BmpImage& image, int32_t width, int32_t height, uint8_t* bytes) {
    const int32_t depth = image.GetDepth();
    const double bytesPerPixel = depth * 0.125;
    const double rowBytes = std::ceil(bytesPerPixel * width);
    double fill = 4 - static_cast<int32_t>(rowBytes) % 4;
    if (fill == 4) fill = 0;
    const double stride = fill + rowBytes;
    const double dataBytes = stride * height;
    double tableBytes = 0;
    if (IsIndexedDepth(depth)) tableBytes = IntPower(2, depth) * 4.0;
    if (depth == 16) tableBytes = BmpMaskBlockSize;

    BmpFileHeader fileHeader;
    fileHeader.bfSize = ToUint32((tableBytes + dataBytes) + BmpHeadersSize);
    fileHeader.bfOffBits = ToUint32(tableBytes + BmpHeadersSize);
    BmpInfoHeader info;
    info.biSize = BmpInfoHeaderSize;
    info.biWidth = width;
    info.biHeight = height;
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

namespace {

bool WriteImage(const BmpImage& image, std::FILE* file) {
    uint8_t headers[BmpHeadersSize];
    StoreHeaders(image, image.GetWidth(), image.GetHeight(), headers);
    return std::fwrite(headers, 1, sizeof headers, file) == sizeof headers && WriteColorTable(image, file) &&
           WritePixelRows(image, file);
}

// A device or a FIFO cannot be replaced, so it is written in place.
bool WriteInPlace(const char* path, BodyWriter body, void* context) {
    StreamGuard guard(std::fopen(path, "wb"));
    if (!guard.Get()) return false;
    const bool written = body(guard.Get(), context) && std::fflush(guard.Get()) == 0;
    return guard.Close() && written;
}

// The new file takes the target's place only once every byte of it is written and it is closed,
// so a full disk or a failing medium never leaves a torn file over the earlier one.
bool WriteAndReplace(const char* path, BodyWriter body, void* context) {
    TempFile temp;
    if (!CreateTempFileBeside(path, temp)) return false;
    StreamGuard guard(temp.stream);
    const bool written = body(guard.Get(), context) && std::fflush(guard.Get()) == 0;
    if (guard.Close() && written && ReplaceFile(temp.path.c_str(), path)) return true;
    RemoveFile(temp.path.c_str());
    return false;
}

}  // namespace

bool WriteBmpFile(const char* path, BodyWriter body, void* context) {
    // No file can be opened under an empty name; refuse it before a temporary file is made in the
    // current folder.
    if (path == nullptr || *path == '\0') return false;
    // Opening a protected file for writing fails; so does replacing one.
    if (IsExistingUnwritableFile(path)) return false;
    if (IsExistingNonRegularFile(path)) return WriteInPlace(path, body, context);
    return WriteAndReplace(path, body, context);
}

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
    if (path == nullptr || *path == '\0') return false;
    // The image always has its palette at the indexed depths; should it not, it gets the standard one.
    if (IsIndexedDepth(depth) && !palette && !SetDepth(depth)) return false;
    const auto body = [](std::FILE* file, void* image) { return WriteImage(*static_cast<const BmpImage*>(image), file); };
    return WriteBmpFile(path, body, this);
}

}  // namespace rastero
