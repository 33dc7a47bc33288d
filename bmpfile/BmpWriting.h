#pragma once

#include <cstdint>
#include <cstdio>

#include "image/BmpImage.h"

namespace rastero {

// The 54 header bytes SaveFile writes for a picture of width x height pixels at the image's depth
// and resolution; the image's own size is not looked at.
void StoreHeaders(const BmpImage& image, int32_t width, int32_t height, uint8_t* bytes);

// The palette at 1, 4 and 8 bits, entries in memory order with their alpha byte; the 5-6-5 mask
// block at 16 bits, each mask in the low half of its 32-bit slot; nothing at 24 and 32 bits.
bool WriteColorTable(const BmpImage& image, std::FILE* file);

// Writes the bytes of a file to an open stream; false when a write failed.
using BodyWriter = bool (*)(std::FILE* file, void* context);

// Makes the file at `path` the way SaveFile does: a regular file is written beside the target and
// takes its place only once complete, so a failed write leaves the earlier file as it was; a
// device or a FIFO is written in place; an empty name or a write-protected file is refused.
bool WriteBmpFile(const char* path, BodyWriter body, void* context);

}  // namespace rastero
