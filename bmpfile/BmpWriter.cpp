#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "bmpfile/BmpHeaders.h"
#include "boundary/FileReplace.h"
#include "image/BmpImage.h"

namespace rastero {

namespace {

// Remembers NearestPaletteIndex per colour for one write: a miss costs a scan of up to 256
// entries, and a photograph can have millions of pixels but far fewer colours. The answer depends
// on red, green and blue only, so one slot per 24-bit colour; the table's pages are only touched
// for the colours the image has. Without storage for the table every pixel is matched anew.
class PaletteMatcher {
public:
    explicit PaletteMatcher(const BmpImage& image)
        : image(image),
          known(new (std::nothrow) uint64_t[ColorCount / 64]()),
          indexes(new (std::nothrow) uint8_t[ColorCount]) {}

    uint8_t IndexOf(const BmpPixel& color) {
        if (!known || !indexes) return image.NearestPaletteIndex(color);
        const uint32_t key = uint32_t{color.red} << 16 | uint32_t{color.green} << 8 | color.blue;
        uint64_t& word = known[key >> 6];
        const uint64_t bit = uint64_t{1} << (key & 63);
        if ((word & bit) == 0) {
            indexes[key] = image.NearestPaletteIndex(color);
            word |= bit;
        }
        return indexes[key];
    }

private:
    static constexpr uint32_t ColorCount = uint32_t{1} << 24;

    const BmpImage& image;
    std::unique_ptr<uint64_t[]> known;
    std::unique_ptr<uint8_t[]> indexes;
};

// One output unit per depth: the bytes of PixelsPerUnit pixels (fewer at the end of a row), taken
// from row y of the columns in `runs`.
struct Put1 {
    static constexpr int32_t PixelsPerUnit = 8;
    static constexpr int32_t BytesPerUnit = 1;
    PaletteMatcher* matcher;
    void operator()(uint8_t* out, const BmpPixel* const* runs, int32_t count, int32_t y) const {
        uint32_t packed = 0;
        for (int32_t k = 0; k < count; ++k) packed += uint32_t{matcher->IndexOf(runs[k][y])} << (7 - k);
        out[0] = static_cast<uint8_t>(packed);
    }
};

struct Put4 {
    static constexpr int32_t PixelsPerUnit = 2;
    static constexpr int32_t BytesPerUnit = 1;
    PaletteMatcher* matcher;
    void operator()(uint8_t* out, const BmpPixel* const* runs, int32_t count, int32_t y) const {
        uint32_t packed = uint32_t{matcher->IndexOf(runs[0][y])} * 16;
        if (count > 1) packed += matcher->IndexOf(runs[1][y]);
        out[0] = static_cast<uint8_t>(packed);
    }
};

struct Put8 {
    static constexpr int32_t PixelsPerUnit = 1;
    static constexpr int32_t BytesPerUnit = 1;
    PaletteMatcher* matcher;
    void operator()(uint8_t* out, const BmpPixel* const* runs, int32_t, int32_t y) const {
        out[0] = matcher->IndexOf(runs[0][y]);
    }
};

// 5-6-5, alpha dropped.
struct Put16 {
    static constexpr int32_t PixelsPerUnit = 1;
    static constexpr int32_t BytesPerUnit = 2;
    void operator()(uint8_t* out, const BmpPixel* const* runs, int32_t, int32_t y) const {
        const BmpPixel& pixel = runs[0][y];
        const auto word = static_cast<uint16_t>((pixel.red >> 3) << 11 | (pixel.green >> 2) << 5 | pixel.blue >> 3);
        out[0] = static_cast<uint8_t>(word);
        out[1] = static_cast<uint8_t>(word >> 8);
    }
};

struct Put24 {
    static constexpr int32_t PixelsPerUnit = 1;
    static constexpr int32_t BytesPerUnit = 3;
    void operator()(uint8_t* out, const BmpPixel* const* runs, int32_t, int32_t y) const {
        const BmpPixel& pixel = runs[0][y];
        out[0] = pixel.blue;
        out[1] = pixel.green;
        out[2] = pixel.red;
    }
};

struct Put32 {
    static constexpr int32_t PixelsPerUnit = 1;
    static constexpr int32_t BytesPerUnit = 4;
    void operator()(uint8_t* out, const BmpPixel* const* runs, int32_t, int32_t y) const {
        const BmpPixel& pixel = runs[0][y];
        out[0] = pixel.blue;
        out[1] = pixel.green;
        out[2] = pixel.red;
        out[3] = pixel.alpha;
    }
};

// Encodes `rows` stored rows, the first from image row yFirst and each next one from the row
// above, unit by unit so that each column is read in one run. Only the bytes of the pixels are
// written: a row's fill keeps the zero the buffer started with.
// `put` is taken by value: a local copy cannot be changed by the byte stores, so its fields stay
// in registers.
template <typename Put>
void EncodeBand(const BmpImage& image, uint8_t* band, int64_t stride, int32_t rows, int32_t yFirst, Put put) {
    const int32_t width = image.GetWidth();
    const BmpPixel* runs[Put::PixelsPerUnit];
    for (int32_t first = 0, unit = 0; first < width; first += Put::PixelsPerUnit, ++unit) {
        const int32_t count = std::min(Put::PixelsPerUnit, width - first);
        for (int32_t k = 0; k < count; ++k) runs[k] = image.Column(first + k);
        uint8_t* out = band + int64_t{unit} * Put::BytesPerUnit;
        for (int32_t i = 0; i < rows; ++i, out += stride) put(out, runs, count, yFirst - i);
    }
}

template <typename Put>
bool EncodeOneRow(const BmpImage& image, uint8_t* buffer, int32_t y, bool fits, const Put& put) {
    if (!fits) return false;
    EncodeBand(image, buffer, 0, 1, y, put);
    return true;
}

// Writes the rows bottom row first, a block of rows per stream write.
template <typename Put>
bool WriteRows(const BmpImage& image, std::FILE* file, const Put& put) {
    const int32_t height = image.GetHeight();
    const int64_t stride = RowStride(image.GetWidth(), image.GetDepth());
    const int32_t blockRows = RowsPerBlock(stride, height);
    const auto blockBytes = static_cast<size_t>(blockRows * stride);
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[blockBytes]());
    if (!block) return false;
    for (int32_t y = height - 1; y >= 0;) {
        const int32_t rows = std::min(blockRows, y + 1);
        EncodeBand(image, block.get(), stride, rows, y, put);
        const auto bytes = static_cast<size_t>(rows * stride);
        if (std::fwrite(block.get(), 1, bytes, file) != bytes) return false;
        y -= rows;
    }
    return true;
}

bool WriteIndexedRows(const BmpImage& image, std::FILE* file) {
    PaletteMatcher matcher(image);
    switch (image.GetDepth()) {
        case 1: return WriteRows(image, file, Put1{&matcher});
        case 4: return WriteRows(image, file, Put4{&matcher});
        default: return WriteRows(image, file, Put8{&matcher});
    }
}

bool WritePixelRows(const BmpImage& image, std::FILE* file) {
    switch (image.GetDepth()) {
        case 16: return WriteRows(image, file, Put16{});
        case 24: return WriteRows(image, file, Put24{});
        case 32: return WriteRows(image, file, Put32{});
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
    return EncodeOneRow(*this, buffer, y, width <= 8 * int64_t{length}, Put1{&matcher});
}

bool BmpImage::EncodeRow4(uint8_t* buffer, int32_t length, int32_t y) const {
    PaletteMatcher matcher(*this);
    return EncodeOneRow(*this, buffer, y, width <= 2 * int64_t{length}, Put4{&matcher});
}

bool BmpImage::EncodeRow8(uint8_t* buffer, int32_t length, int32_t y) const {
    PaletteMatcher matcher(*this);
    return EncodeOneRow(*this, buffer, y, width <= length, Put8{&matcher});
}

bool BmpImage::EncodeRow24(uint8_t* buffer, int32_t length, int32_t y) const {
    return EncodeOneRow(*this, buffer, y, 3 * int64_t{width} <= length, Put24{});
}

bool BmpImage::EncodeRow32(uint8_t* buffer, int32_t length, int32_t y) const {
    return EncodeOneRow(*this, buffer, y, 4 * int64_t{width} <= length, Put32{});
}

bool BmpImage::SaveFile(const char* path) {
    if (!CheckTypeSizes()) return false;
    // No file can be opened under an empty name; refuse it before a temporary file is made in the
    // current folder.
    if (path == nullptr || *path == '\0') return false;
    // The image always has its palette at the indexed depths; should it not, it gets the standard one.
    if (IsIndexedDepth(depth) && !palette && !SetDepth(depth)) return false;
    if (IsExistingNonRegularFile(path)) return WriteInPlace(*this, path);
    return WriteAndReplace(*this, path);
}

}  // namespace rastero
