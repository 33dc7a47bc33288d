// The streaming mosaic against loading, painting and saving in memory: for any bytes and any
// rectangle and stride, both must accept the same files and write the same bytes. The whole input
// is the file; its last 9 bytes also choose the rectangle (four 16-bit values, so it lands in,
// across and beyond small pictures) and the stride, so a BMP file is a seed as it stands. The
// replay program also runs every file with a few rectangles of its own.

#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/FuzzFiles.h"
#include "image/BmpImage.h"
#include "ops/FileMosaic.h"
#include "ops/Pixelate.h"

namespace {

using rastero::fuzz::Require;

struct Scratch {
    rastero::TempFolder folder;
    std::string input = folder.File("input.bmp");
    std::string inMemory = folder.File("in-memory.bmp");
    std::string streamed = folder.File("streamed.bmp");
};

Scratch& Files() {
    static Scratch scratch;
    return scratch;
}

int32_t Signed16(const uint8_t* bytes) {
    int16_t value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

void CheckMosaic(const uint8_t* data, size_t size, int32_t left, int32_t top, int32_t right, int32_t bottom,
                 int32_t stride) {
    Scratch& files = Files();
    rastero::fuzz::WriteScratch(files.input, data, size);
    // Any earlier output must not pass for this one's.
    std::remove(files.inMemory.c_str());
    std::remove(files.streamed.c_str());

    rastero::BmpImage image;
    const bool loaded = image.LoadFile(files.input.c_str());
    rastero::FileMosaic mosaic;
    Require(mosaic.Open(files.input.c_str()) == loaded, "same files accepted");
    if (!loaded) return;
    rastero::PixelateBlocksWithStride(image, left, top, right, bottom, stride);
    Require(image.SaveFile(files.inMemory.c_str()), "in-memory save");
    Require(mosaic.Write(files.streamed.c_str(), left, top, right, bottom, stride), "streamed write");
    Require(rastero::ReadFileBytes(files.inMemory) == rastero::ReadFileBytes(files.streamed), "same bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr size_t ChoiceBytes = 9;
    if (size < ChoiceBytes || rastero::fuzz::AsksForManyPixels(data, size)) return 0;
    const uint8_t* choice = data + size - ChoiceBytes;
    // A stride of 0 paints nothing.
    CheckMosaic(data, size, Signed16(choice), Signed16(choice + 2), Signed16(choice + 4), Signed16(choice + 6),
                choice[8] % 41);
    return 0;
}

#ifndef RASTERO_LIBFUZZER

namespace {

// The whole picture, a region, blocks starting on the last column and row, and beyond the top
// left, at the default stride and a small one.
int ReplayWithRectangles(const uint8_t* data, size_t size) {
    LLVMFuzzerTestOneInput(data, size);
    if (rastero::fuzz::AsksForManyPixels(data, size)) return 0;
    int32_t width = 0, height = 0;
    if (size >= 26) {
        std::memcpy(&width, data + 18, 4);
        std::memcpy(&height, data + 22, 4);
    }
    for (const int32_t stride : {20, 3}) {
        CheckMosaic(data, size, 0, 0, width, height, stride);
        CheckMosaic(data, size, width / 4, height / 4, width / 2, height / 2, stride);
        CheckMosaic(data, size, width - 1 - stride, height - 1, width + 40, height + 40, stride);
        CheckMosaic(data, size, -30, -30, 10, 10, stride);
    }
    return 0;
}

}  // namespace

#define RASTERO_REPLAY_ONE ReplayWithRectangles
#include "fuzz/ReplayMain.h"
#endif
