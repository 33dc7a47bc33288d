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

#include "image/BmpImage.h"
#include "tests/bmpfile/BmpFixture.h"
#include "tests/bmpfile/Reloaded.h"

namespace {

using rastero::BmpImage;
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

void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

bool Same(const BmpPixel& a, const BmpPixel& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// A header may ask for up to the pixel limit while the file holds a few bytes. Such inputs are
// valid but only fill white pixels slowly; the tests cover them, the fuzzer skips them.
bool AsksForManyPixels(const uint8_t* data, size_t size) {
    if (size < 26) return false;
    int32_t width, height;
    std::memcpy(&width, data + 18, 4);
    std::memcpy(&height, data + 22, 4);
    const int64_t pixels = int64_t{width} * height;
    return width > 0 && height > 0 && pixels > (int64_t{1} << 15) && pixels <= rastero::MaxPixelCount;
}

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
    if (AsksForManyPixels(data, size)) return 0;
    std::FILE* file = std::fopen(Files().input.c_str(), "wb");
    Require(file != nullptr, "scratch file");
    Require(std::fwrite(data, 1, size, file) == size && std::fclose(file) == 0, "scratch write");
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

namespace {

int Replay(const std::string& path) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        return 1;
    }
    if (S_ISDIR(status.st_mode)) {
        int failures = 0;
        if (DIR* folder = opendir(path.c_str())) {
            while (const dirent* entry = readdir(folder)) {
                if (entry->d_name[0] != '.') failures += Replay(path + "/" + entry->d_name);
            }
            closedir(folder);
        }
        return failures;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return 1;
    std::vector<uint8_t> bytes;
    uint8_t block[65536];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) bytes.insert(bytes.end(), block, block + got);
    std::fclose(file);
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int failures = 0;
    for (int i = 1; i < argc; ++i) failures += Replay(argv[i]);
    return failures == 0 ? 0 : 1;
}

#endif
