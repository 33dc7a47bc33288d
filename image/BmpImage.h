#pragma once

#include <cstdint>
#include <memory>

#include "image/BmpPixel.h"

namespace rastero {

// The resolution that stands in for an unset one (0) wherever a resolution is read or written.
constexpr int32_t DefaultPixelsPerMeter = 3780;

// The largest image the library will hold: 2^28 pixels, 1 GiB of pixel storage. Every size that
// comes from a file or a caller is checked against it before anything is allocated.
constexpr int64_t MaxPixelCount = int64_t{1} << 28;

// The depths an image and a file may have.
inline bool IsSupportedDepth(int32_t depth) {
    return depth == 1 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32;
}

// The depths that carry a palette and store palette indexes in files.
inline bool IsIndexedDepth(int32_t depth) { return depth == 1 || depth == 4 || depth == 8; }

// Integer power by repeated multiplication; 1 for any exponent <= 0.
int32_t IntPower(int32_t base, int32_t exponent);

// An in-memory picture: width x height colours, a bit depth (1, 4, 8, 16, 24 or 32) that says how
// it is stored in a file, a palette at the indexed depths, and a resolution in pixels per metre.
// Pixels hold colours at every depth; the depth governs only the palette and the file form.
//
// Storage is by column: pixel (x, y) is element y of column x, y = 0 being the top row. The
// columns point into one contiguous block, so a column is a plain array of `height` pixels.
class BmpImage {
public:
    BmpImage();
    ~BmpImage();

    // A deep copy whose resolution passes through whole dots per inch. Reading the source's
    // resolution may store the default in it, so the source is not const. Storage that cannot be
    // obtained leaves the copy a valid image, but 1 x 1 white or at depth 24: callers that
    // must know compare the sizes.
    BmpImage(BmpImage& source);
    BmpImage(const BmpImage&) = delete;
    BmpImage& operator=(const BmpImage&) = delete;

    int32_t GetWidth() const { return width; }
    int32_t GetHeight() const { return height; }
    int32_t GetDepth() const { return depth; }

    // Reads outside the image are clamped to the nearest edge pixel.
    BmpPixel PixelAt(int32_t x, int32_t y) const;
    BmpPixel& PixelRef(int32_t x, int32_t y);
    // Stores all four bytes; a position outside the image stores nothing and returns false.
    bool PutPixel(int32_t x, int32_t y, const BmpPixel& color);

    BmpPixel PaletteColor(int32_t index) const;
    bool SetPaletteColor(int32_t index, const BmpPixel& color);
    // 2^depth, except 2^24 at depth 32.
    int32_t PaletteSize() const;
    bool HasPalette() const { return palette != nullptr; }

    // Changes the depth and installs the standard palette at 1, 4 and 8 bits (also when the depth
    // does not change); the pixels are not touched.
    bool SetDepth(int32_t newDepth);
    // Replaces the pixels with white ones. Refuses, changing nothing, a side below 1, more than
    // MaxPixelCount pixels, or storage that cannot be obtained.
    bool Resize(int32_t newWidth, int32_t newHeight);
    bool BuildStandardPalette();

    // Index of the palette entry nearest in red, green and blue; the lowest index wins a tie.
    uint8_t NearestPaletteIndex(const BmpPixel& color) const;

    // Resolution in pixels per metre as stored, 0 meaning unset.
    int32_t GetXPixelsPerMeter() const { return xPixelsPerMeter; }
    int32_t GetYPixelsPerMeter() const { return yPixelsPerMeter; }
    void SetPixelsPerMeter(int32_t x, int32_t y) {
        xPixelsPerMeter = x;
        yPixelsPerMeter = y;
    }
    void SetResolutionDpi(int32_t horizontal, int32_t vertical);
    int32_t HorizontalDpi();
    int32_t VerticalDpi();

    bool LoadFile(const char* path);
    bool SaveFile(const char* path);

    bool DecodeRow1(const uint8_t* bytes, int32_t length, int32_t y);
    bool DecodeRow4(const uint8_t* bytes, int32_t length, int32_t y);
    bool DecodeRow8(const uint8_t* bytes, int32_t length, int32_t y);
    bool DecodeRow24(const uint8_t* bytes, int32_t length, int32_t y);
    bool DecodeRow32(const uint8_t* bytes, int32_t length, int32_t y);

    bool EncodeRow1(uint8_t* buffer, int32_t length, int32_t y) const;
    bool EncodeRow4(uint8_t* buffer, int32_t length, int32_t y) const;
    bool EncodeRow8(uint8_t* buffer, int32_t length, int32_t y) const;
    bool EncodeRow24(uint8_t* buffer, int32_t length, int32_t y) const;
    bool EncodeRow32(uint8_t* buffer, int32_t length, int32_t y) const;

    // Direct access for the codecs and copies: column x holds `height` pixels, top row first.
    // x must lie in 0 .. width - 1.
    BmpPixel* Column(int32_t x) { return columns[x]; }
    const BmpPixel* Column(int32_t x) const { return columns[x]; }
    // The palette entries, PaletteSize() of them, or null when there is no palette.
    BmpPixel* PaletteEntries() { return palette.get(); }
    const BmpPixel* PaletteEntries() const { return palette.get(); }

private:
    // Resize without the white fill, for the loader: it writes every pixel the file reaches and
    // fills only the rows the data did not reach, so fresh storage is touched once, not twice.
    bool ResizeUnfilled(int32_t newWidth, int32_t newHeight);
    // Fills rows 0 .. rows - 1 of every column with white.
    void FillTopRowsWhite(int32_t rows);

    int32_t depth;
    int32_t width;
    int32_t height;
    // `columns` points at `columnStore` once the image has been resized; a default image keeps its
    // one pixel inline, so construction needs no storage and cannot fail.
    BmpPixel** columns;
    std::unique_ptr<BmpPixel*[]> columnStore;
    std::unique_ptr<BmpPixel[]> pixelStore;
    BmpPixel inlinePixel;
    BmpPixel* inlineColumn;
    std::unique_ptr<BmpPixel[]> palette;
    int32_t xPixelsPerMeter;
    int32_t yPixelsPerMeter;
    // Never filled by anything this library makes; kept so the record stays whole.
    std::unique_ptr<uint8_t[]> extraBlock1;
    int32_t extraBlock1Size;
    std::unique_ptr<uint8_t[]> extraBlock2;
    int32_t extraBlock2Size;
};

}  // namespace rastero
