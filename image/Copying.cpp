#include "image/Copying.h"

#include <algorithm>
#include <cstdint>

namespace rastero {

namespace {

constexpr double MetersPerInch = 0.0254;
constexpr double InchesPerMeter = 39.37007874015748;

// Truncates toward zero. Dots per inch beyond about 54.5 million give pixels per metre outside
// 32 bits; those saturate instead of reaching an undefined conversion.
int32_t TruncateToInt32(double value) {
    if (value >= 2147483648.0) return INT32_MAX;
    if (value <= -2147483649.0) return INT32_MIN;
    return static_cast<int32_t>(value);
}

int32_t ReadDpi(int32_t& pixelsPerMeter) {
    if (pixelsPerMeter == 0) pixelsPerMeter = DefaultPixelsPerMeter;
    // Any 32-bit resolution times 0.0254 fits 32 bits, so a plain conversion is safe here.
    return static_cast<int32_t>(static_cast<double>(pixelsPerMeter) * MetersPerInch);
}

// Region bounds after clipping, in 64 bits so that no combination of 32-bit arguments overflows.
// Once clipped, every column and row lies in the source and every destination position fits 32
// bits: it runs from dx (or dy) up to at most the destination's last column (or row).
struct ClippedRegion {
    int64_t left;
    int64_t right;
    int64_t firstRow;
    int64_t lastRow;
};

ClippedRegion ClipRegion(const BmpImage& source, int32_t left, int32_t right, int32_t bottom,
                         int32_t top, const BmpImage& destination, int32_t dx, int32_t dy) {
    ClippedRegion region{left, right, std::min(bottom, top), std::max(bottom, top)};
    if (region.right >= source.GetWidth()) region.right = source.GetWidth() - 1;
    if (region.left < 0) region.left = 0;
    if (region.lastRow >= source.GetHeight()) region.lastRow = source.GetHeight() - 1;
    if (region.firstRow < 0) region.firstRow = 0;
    if (region.right - region.left + dx >= destination.GetWidth()) {
        region.right = region.left - dx + destination.GetWidth() - 1;
    }
    if (region.lastRow - region.firstRow + dy >= destination.GetHeight()) {
        region.lastRow = region.firstRow - dy + destination.GetHeight() - 1;
    }
    return region;
}

template <typename CopyOne>
void ForEachRegionPixel(const ClippedRegion& region, int32_t dx, int32_t dy, CopyOne copyOne) {
    for (int64_t y = region.firstRow; y <= region.lastRow; ++y) {
        for (int64_t x = region.left; x <= region.right; ++x) {
            copyOne(static_cast<int32_t>(x), static_cast<int32_t>(y),
                    static_cast<int32_t>(dx + (x - region.left)),
                    static_cast<int32_t>(dy + (y - region.firstRow)));
        }
    }
}

}  // namespace

// Storage that cannot be obtained leaves the copy a valid image that differs from the source: 1 x 1
// and white when the pixels cannot be had, depth 24 without a palette when the palette cannot.
// Callers that must know compare the sizes (RescaleImage does).
BmpImage::BmpImage(BmpImage& source) : BmpImage() {
    SetDepth(source.GetDepth());
    Resize(source.GetWidth(), source.GetHeight());
    const int32_t vertical = source.VerticalDpi();
    const int32_t horizontal = source.HorizontalDpi();
    SetResolutionDpi(horizontal, vertical);
    if (HasPalette() && source.HasPalette() && depth == source.depth) {
        std::copy(source.palette.get(), source.palette.get() + PaletteSize(), palette.get());
    }
    // Into fresh storage the order of the pixel writes cannot show, so whole columns go at once.
    if (width == source.width && height == source.height) {
        for (int32_t x = 0; x < width; ++x) {
            std::copy(source.columns[x], source.columns[x] + height, columns[x]);
        }
    }
}

void BmpImage::SetResolutionDpi(int32_t horizontal, int32_t vertical) {
    xPixelsPerMeter = TruncateToInt32(static_cast<double>(horizontal) * InchesPerMeter);
    yPixelsPerMeter = TruncateToInt32(static_cast<double>(vertical) * InchesPerMeter);
}

int32_t BmpImage::HorizontalDpi() { return ReadDpi(xPixelsPerMeter); }

int32_t BmpImage::VerticalDpi() { return ReadDpi(yPixelsPerMeter); }

void CopyPixel(const BmpImage& source, int32_t x, int32_t y, BmpImage& destination, int32_t dx,
               int32_t dy) {
    destination.PixelRef(dx, dy) = source.PixelAt(x, y);
}

void CopyPixelUnlessKey(const BmpImage& source, int32_t x, int32_t y, BmpImage& destination,
                        int32_t dx, int32_t dy, const BmpPixel& key) {
    const BmpPixel pixel = source.PixelAt(x, y);
    if (!SameColor(pixel, key)) destination.PixelRef(dx, dy) = pixel;
}

void CopyRegion(const BmpImage& source, int32_t left, int32_t right, int32_t bottom, int32_t top,
                BmpImage& destination, int32_t dx, int32_t dy) {
    const ClippedRegion region = ClipRegion(source, left, right, bottom, top, destination, dx, dy);
    ForEachRegionPixel(region, dx, dy, [&](int32_t x, int32_t y, int32_t toX, int32_t toY) {
        CopyPixel(source, x, y, destination, toX, toY);
    });
}

void CopyRegionUnlessKey(const BmpImage& source, int32_t left, int32_t right, int32_t bottom,
                         int32_t top, BmpImage& destination, int32_t dx, int32_t dy,
                         const BmpPixel& key) {
    const ClippedRegion region = ClipRegion(source, left, right, bottom, top, destination, dx, dy);
    ForEachRegionPixel(region, dx, dy, [&](int32_t x, int32_t y, int32_t toX, int32_t toY) {
        CopyPixelUnlessKey(source, x, y, destination, toX, toY, key);
    });
}

}  // namespace rastero
