#pragma once

#include "image/BmpImage.h"

namespace rastero {

// Replaces the palette of a 1-, 4- or 8-bit image by an even ramp of greys from black to white.
// Returns false, changing nothing, at the other depths.
bool BuildGrayPalette(BmpImage& image);

}  // namespace rastero
