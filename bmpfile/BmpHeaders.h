#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "bmpfile/BmpFormat.h"
#include "image/BmpImage.h"

namespace rastero {

// The 14-byte file header. Fields that construction gives no value start at 0.
struct BmpFileHeader {
    uint16_t bfType = BmpSignature;
    uint32_t bfSize = 0;
    uint16_t bfReserved1 = 0;
    uint16_t bfReserved2 = 0;
    uint32_t bfOffBits = 0;

    void SwapByteOrder();
    // Each field is read with its own ReadItems of its own width, so a file that ends inside the
    // header leaves exactly the bytes that arrived. The results of all reads are combined.
    bool ReadSignature(std::FILE* stream);
    bool ReadAfterSignature(std::FILE* stream);
    bool Read(std::FILE* stream);
    // The 14 bytes as they stand on disk.
    void Store(uint8_t* bytes) const;
};

// The 40-byte info header. Fields that construction gives no value start at 0.
struct BmpInfoHeader {
    uint32_t biSize = 0;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 1;
    uint16_t biBitCount = 0;
    uint32_t biCompression = BI_RGB;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = DefaultPixelsPerMeter;
    int32_t biYPelsPerMeter = DefaultPixelsPerMeter;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;

    void SwapByteOrder();
    bool Read(std::FILE* stream);
    // The 40 bytes as they stand on disk.
    void Store(uint8_t* bytes) const;
};

uint16_t SwapBytes16(uint16_t value);
uint32_t SwapBytes32(uint32_t value);

// Reads `count` items of `itemSize` bytes with one stream read. False when the end-of-file
// indicator was already set (nothing is read then) or fewer whole items arrived; a short read may
// still have stored some bytes.
bool ReadItems(void* destination, size_t itemSize, int32_t count, std::FILE* stream);

// Reads and drops `count` bytes through a small fixed buffer, so a damaged count ends like any
// read that runs into the end of the file.
void SkipBytes(std::FILE* stream, int64_t count);

// One stream read of `length` bytes, refused once the end-of-file indicator is set, like
// ReadItems. Returns the number of bytes that arrived.
size_t ReadBlock(uint8_t* destination, size_t length, std::FILE* stream);

// The field-by-field transfer relies on the widths of the byte, 16- and 32-bit types; the answer
// is settled when the library is built.
bool CheckTypeSizes();

// Bytes of one stored row: ceil(width x depth / 8), filled up to a multiple of 4.
int64_t RowStride(int32_t width, int32_t depth);

// How many stored rows one block read or write of about `blockBytes` carries: at least one row, at
// most the whole image. The image's columns are then touched in runs instead of one pixel per row.
constexpr int64_t ImageBlockBytes = int64_t{4} << 20;
int32_t RowsPerBlock(int64_t stride, int32_t height, int64_t blockBytes = ImageBlockBytes);

// A 32-bit field as the signed value of its bit pattern, widened so later arithmetic cannot wrap.
int64_t AsSigned32(uint32_t value);

// Closes the stream it holds on every path out of a file routine.
class StreamGuard {
public:
    explicit StreamGuard(std::FILE* stream) : stream(stream) {}
    ~StreamGuard() { Close(); }
    StreamGuard(const StreamGuard&) = delete;
    StreamGuard& operator=(const StreamGuard&) = delete;

    std::FILE* Get() const { return stream; }
    // True when the stream was closed cleanly (its last buffered bytes reached the file).
    bool Close();

private:
    std::FILE* stream;
};

// Rows are counted in bits as 32-bit values and an image holds at most MaxPixelCount pixels. A
// header may ask for any size while the file holds a few bytes, so larger dimensions are refused
// before anything is allocated.
inline bool IsWithinLoadLimits(const BmpInfoHeader& info) {
    return int64_t{info.biWidth} * info.biBitCount <= INT32_MAX &&
           int64_t{info.biWidth} * info.biHeight <= MaxPixelCount;
}

}  // namespace rastero
