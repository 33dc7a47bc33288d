// Loads arbitrary bytes as a BMP file, saves what loaded and loads that again. A refused file must
// leave its defined fallback state, an accepted one must come back with the colours the writer
// keeps. Built with libFuzzer this is a fuzz target; without it, a program that replays the files
// and folders named on its command line.

#include <dirent.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "fuzz/FuzzFiles.h"
#include "image/BmpImage.h"
#include "tests/bmpfile/BmpFixture.h"
#include "tests/bmpfile/Reloaded.h"

namespace {

using rastero::BmpImage;
using rastero::fuzz::Require;
using rastero::BmpPixel;

// A folder of our own for the two files each input needs, removed at exit.
struct Scratch {
    rastero::TempFolder folder;
    std::string input = folder.File("input.bmp");
    std::string output = folder.File("output.bmp");
};

Scratch& Files() {
    static Scratch scratch;
    return scratch;
}

bool Same(const BmpPixel& a, const BmpPixel& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void CheckRefused(const BmpImage& image, const uint8_t* data, size_t size) {
    // Bytes that do not arrive keep the expected signature's value.
    const bool signature = size == 0 || (data[0] == 'B' && (size == 1 || data[1] == 'M'));
    if (!signature) {
        Require(image.GetWidth() == 3 && image.GetHeight() == 2 && image.GetDepth() == 24, "untouched image");
        return;
    }
    Require(image.GetWidth() == 1 && image.GetHeight() == 1 && image.GetDepth() == 1, "fallback size and depth");
    Require(Same(image.PixelAt(0, 0), rastero::WhitePixel), "fallback pixel");
    Require(Same(image.PaletteColor(0), BmpPixel{0, 0, 0, 0}) && Same(image.PaletteColor(1), rastero::WhitePixel),
            "fallback palette");
}

void CheckRoundTrip(BmpImage& image) {
    Require(image.SaveFile(Files().output.c_str()), "save");
    BmpImage back;
    Require(back.LoadFile(Files().output.c_str()), "reload");
    Require(back.GetWidth() == image.GetWidth() && back.GetHeight() == image.GetHeight() &&
                back.GetDepth() == image.GetDepth(),
            "reloaded size and depth");
    const int32_t x = image.GetXPixelsPerMeter();
    const int32_t y = image.GetYPixelsPerMeter();
    Require(back.GetXPixelsPerMeter() == (x == 0 ? rastero::DefaultPixelsPerMeter : x) &&
                back.GetYPixelsPerMeter() == (y == 0 ? rastero::DefaultPixelsPerMeter : y),
            "reloaded resolution");
    // Loaded pixels repeat a few colours; matching each against the palette once keeps the runs fast.
    std::unordered_map<uint32_t, BmpPixel> kept;
    for (int32_t column = 0; column < image.GetWidth(); ++column) {
        for (int32_t row = 0; row < image.GetHeight(); ++row) {
            const BmpPixel& pixel = image.Column(column)[row];
            uint32_t key;
            std::memcpy(&key, &pixel, sizeof key);
            auto found = kept.find(key);
            if (found == kept.end()) found = kept.emplace(key, rastero::ReloadedColor(image, pixel)).first;
            Require(Same(back.Column(column)[row], found->second), "reloaded pixel");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (rastero::fuzz::AsksForManyPixels(data, size)) return 0;
    rastero::fuzz::WriteScratch(Files().input, data, size);
    BmpImage image;
    image.Resize(3, 2);
    if (image.LoadFile(Files().input.c_str())) {
        CheckRoundTrip(image);
    } else {
        CheckRefused(image, data, size);
    }
    return 0;
}

#ifndef RASTERO_LIBFUZZER
#include "fuzz/ReplayMain.h"
#endif
