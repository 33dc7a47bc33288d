#include "image/ColorMatching.h"

namespace rastero {

namespace {

int32_t SquaredDistance(const BmpPixel& a, const BmpPixel& b) {
    const int32_t db = int32_t{a.blue} - b.blue;
    const int32_t dg = int32_t{a.green} - b.green;
    const int32_t dr = int32_t{a.red} - b.red;
    return db * db + dg * dg + dr * dr;
}

}  // namespace

uint8_t BmpImage::NearestPaletteIndex(const BmpPixel& color) const {
    // Without a palette every entry reads as white and the scan can only ever answer 0.
    if (!palette) return 0;
    const int32_t count = PaletteSize();
    // Larger than any distance (at most 3 x 255^2), so entry 0 is always the first candidate.
    int32_t best = 999999;
    uint8_t result = 0;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t distance = SquaredDistance(PaletteColor(i), color);
        if (distance < best) {
            best = distance;
            result = static_cast<uint8_t>(i);
        }
        if (best == 0) break;
    }
    return result;
}

bool BuildGrayPalette(BmpImage& image) {
    const int32_t depth = image.GetDepth();
    if (depth != 1 && depth != 4 && depth != 8) return false;
    const int32_t count = image.PaletteSize();
    const int32_t step = 255 / (count - 1);
    for (int32_t i = 0; i < count; ++i) {
        const auto level = static_cast<uint8_t>(i * step);
        image.SetPaletteColor(i, BmpPixel{level, level, level, 0});
    }
    return true;
}

}  // namespace rastero
