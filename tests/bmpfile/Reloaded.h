#pragma once

#include "image/BmpImage.h"

namespace rastero {

// The colour a pixel reads back as after our writer stored it at the image's depth and our reader
// loaded it: 16 bits keep the top five bits of each channel, 24 bits drop alpha, the palette
// depths give the nearest palette entry whole.
inline BmpPixel ReloadedColor(const BmpImage& image, const BmpPixel& pixel) {
    switch (image.GetDepth()) {
        case 16:
            return BmpPixel{static_cast<uint8_t>(pixel.blue & 0xF8), static_cast<uint8_t>(pixel.green & 0xF8),
                            static_cast<uint8_t>(pixel.red & 0xF8), 0};
        case 24: return BmpPixel{pixel.blue, pixel.green, pixel.red, 0};
        case 32: return pixel;
        default: return image.PaletteColor(image.NearestPaletteIndex(pixel));
    }
}

}  // namespace rastero
