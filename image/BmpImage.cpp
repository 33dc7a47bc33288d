#include "image/BmpImage.h"

#include "boundary/MemoryAdvice.h"

#include <algorithm>
#include <new>

namespace rastero {

namespace {

int32_t ClampCoordinate(int32_t value, int32_t size) {
    if (value >= size) value = size - 1;
    if (value < 0) value = 0;
    return value;
}

}  // namespace

int32_t IntPower(int32_t base, int32_t exponent) {
    // Wrapping multiplication, so an exponent that overflows gives a defined result.
    uint32_t result = 1;
    for (int32_t i = 0; i < exponent; ++i) result *= static_cast<uint32_t>(base);
    return static_cast<int32_t>(result);
}

BmpImage::BmpImage()
    : depth(24),
      width(1),
      height(1),
      columns(&inlineColumn),
      inlinePixel(WhitePixel),
      inlineColumn(&inlinePixel),
      xPixelsPerMeter(0),
      yPixelsPerMeter(0),
      extraBlock1Size(0),
      extraBlock2Size(0) {}

BmpImage::~BmpImage() = default;

BmpPixel BmpImage::PixelAt(int32_t x, int32_t y) const {
    return columns[ClampCoordinate(x, width)][ClampCoordinate(y, height)];
}

BmpPixel& BmpImage::PixelRef(int32_t x, int32_t y) {
    return columns[ClampCoordinate(x, width)][ClampCoordinate(y, height)];
}

bool BmpImage::PutPixel(int32_t x, int32_t y, const BmpPixel& color) {
    if (x < 0 || x >= width || y < 0 || y >= height) return false;
    columns[x][y] = color;
    return true;
}

BmpPixel BmpImage::PaletteColor(int32_t index) const {
    if (!IsIndexedDepth(depth) || !palette || index < 0 || index >= PaletteSize()) {
        return WhitePixel;
    }
    return palette[index];
}

bool BmpImage::SetPaletteColor(int32_t index, const BmpPixel& color) {
    if (!IsIndexedDepth(depth) || !palette || index < 0 || index >= PaletteSize()) return false;
    palette[index] = color;
    return true;
}

int32_t BmpImage::PaletteSize() const {
    // A palette of 2^32 entries does not fit the result; depth 32 reports the 2^24 colours of 24.
    return depth == 32 ? (int32_t{1} << 24) : IntPower(2, depth);
}

bool BmpImage::SetDepth(int32_t newDepth) {
    if (!IsSupportedDepth(newDepth)) return false;
    std::unique_ptr<BmpPixel[]> newPalette;
    if (IsIndexedDepth(newDepth)) {
        newPalette.reset(new (std::nothrow) BmpPixel[IntPower(2, newDepth)]);
        if (!newPalette) return false;
    }
    depth = newDepth;
    palette = std::move(newPalette);
    if (palette) BuildStandardPalette();
    return true;
}

bool BmpImage::Resize(int32_t newWidth, int32_t newHeight) {
    if (!ResizeUnfilled(newWidth, newHeight)) return false;
    FillTopRowsWhite(height);
    return true;
}

void BmpImage::FillTopRowsWhite(int32_t rows) {
    for (int32_t x = 0; x < width; ++x) std::fill(columns[x], columns[x] + rows, WhitePixel);
}

bool BmpImage::ResizeUnfilled(int32_t newWidth, int32_t newHeight) {
    if (newWidth < 1 || newHeight < 1) return false;
    const int64_t count = int64_t{newWidth} * newHeight;
    if (count > MaxPixelCount) return false;
    // Obtain the new storage before letting go of the old, so a refusal changes nothing.
    std::unique_ptr<BmpPixel[]> newStore(new (std::nothrow) BmpPixel[static_cast<size_t>(count)]);
    std::unique_ptr<BmpPixel*[]> newColumns(new (std::nothrow) BmpPixel*[newWidth]);
    if (!newStore || !newColumns) return false;
    // Every pixel is written next, by the white fill or by the loader.
    PrepareForWriting(newStore.get(), static_cast<size_t>(count) * sizeof(BmpPixel));
    for (int32_t x = 0; x < newWidth; ++x) {
        newColumns[x] = newStore.get() + static_cast<size_t>(x) * static_cast<size_t>(newHeight);
    }
    pixelStore = std::move(newStore);
    columnStore = std::move(newColumns);
    columns = columnStore.get();
    width = newWidth;
    height = newHeight;
    return true;
}

}  // namespace rastero
