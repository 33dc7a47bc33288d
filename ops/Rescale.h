#pragma once

#include <cstdint>

#include "image/BmpImage.h"

namespace rastero {

struct RescaledSize {
    int32_t width;
    int32_t height;
};

// The mode letters, in either case: 'P' percentage, 'W' new width, 'H' new height, 'F' the longer
// side (a square goes by its height).
bool IsRescaleMode(char mode);

// The size a rescale of a width x height image would produce; a side below 1 becomes 1. Returns
// false for an unknown mode and for a result of more than MaxPixelCount pixels.
bool ComputeRescaledSize(int32_t width, int32_t height, char mode, int32_t size,
                         RescaledSize& result);

// Resizes the image in place by bilinear interpolation with the corners aligned; the result is
// 24-bit without a palette, its resolution kept. Returns false, leaving pixels, size, depth and
// palette as they were, for an unknown mode, an oversized result (refused before anything is
// allocated) or storage that cannot be obtained. Every call, refused or not, reads the resolution
// in dots per inch and so replaces an unset (0) resolution by DefaultPixelsPerMeter.
bool RescaleImage(BmpImage& image, char mode, int32_t size);

}  // namespace rastero
