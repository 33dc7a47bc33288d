#pragma once

#include <cstdint>
#include <cstdio>

#include "bmpfile/BmpFormat.h"
#include "image/BmpImage.h"

namespace rastero {

// How a file's headers end a load before its pixel rows.
enum class HeaderVerdict {
    NotBitmap,  // it does not start with "BM": the image is untouched
    Refused,    // a header test failed: the image may hold the file's resolution and depth
    Accepted,   // the rows can be read
};

// The facts about the stored rows that the headers give and the image does not hold.
struct StoredRows {
    int32_t width = 0;
    int32_t height = 0;
    // How 16-bit words split into channels.
    uint16_t redMask = DefaultRedMask16;
    uint16_t greenMask = DefaultGreenMask16;
    uint16_t blueMask = DefaultBlueMask16;
};

// Everything a load reads before the pixel rows, exactly as LoadFile reads it, leaving the stream
// where LoadFile reads the first row from. Accepted gives the image the file's depth, palette and
// resolution but not its size, which goes into `rows`: the caller decides where the pixels go.
HeaderVerdict ReadUpToRows(BmpImage& image, std::FILE* file, StoredRows& rows);

}  // namespace rastero
