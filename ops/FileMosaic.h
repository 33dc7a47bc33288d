#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "bmpfile/BmpReading.h"
#include "image/BmpImage.h"

namespace rastero {

// Pixelates a BMP file into another, writing exactly the bytes that LoadFile,
// PixelateBlocksWithStride and SaveFile one after another would write. A complete file on disk
// is streamed a band of rows at a time instead: the picture is never held whole, rows that no
// block touches pass from one file to the other through their codecs alone, and block colours
// are read from the few rows that hold the samples. The stream seeks, where the reader only reads
// forward, so it is kept to regular files whose every row is there. Everything else goes through
// an image in memory: pixel data that ends early (the reader's rules for it live there), a device
// or a FIFO, a file whose size the stream cannot report (beyond 2 GiB where `long` is 32 bits),
// and an output that is the input.
class FileMosaic {
public:
    FileMosaic() = default;
    ~FileMosaic();
    FileMosaic(const FileMosaic&) = delete;
    FileMosaic& operator=(const FileMosaic&) = delete;

    // Reads the input's headers and palette (or, for the inputs that are not streamed, the whole
    // picture). False when LoadFile would refuse the file; a streamed picture needs no storage of
    // its size, so it is never refused for want of memory.
    bool Open(const char* inputPath);

    // Covers the rectangle with blocks `stride` apart, as PixelateBlocksWithStride does, and
    // writes the result the way SaveFile does. Call after a successful Open. False when nothing
    // was written; InputFailed then tells whether the input was to blame.
    bool Write(const char* outputPath, int32_t left, int32_t top, int32_t right, int32_t bottom,
               int32_t stride);

    // The last Write failed on the input's side: the file changed under the stream, or the
    // memory to read it could not be had.
    bool InputFailed() const { return inputFailed; }

    // Whether the picture is streamed rather than held in memory.
    bool Streamed() const { return input != nullptr; }

private:
    bool LoadWhole(const char* inputPath);
    bool LocateCompleteRows();

    // The whole picture in memory, or, when streamed, only the file's depth, palette and
    // resolution.
    BmpImage image;
    std::FILE* input = nullptr;
    std::string inputName;
    StoredRows rows;
    int64_t firstRowOffset = 0;
    bool inputFailed = false;
};

}  // namespace rastero
