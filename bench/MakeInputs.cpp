// Writes the benchmark pictures: smooth gradients plus noise, deterministic, through the library's
// own writer so every depth is the format the tool reads back.
//
//   rastero_make_inputs FOLDER
#include <cstdio>
#include <cstdint>
#include <string>

#include "image/BmpImage.h"

namespace {

using rastero::BmpImage;
using rastero::BmpPixel;

struct Noise {
    uint32_t state = 0x9E3779B9u;
    uint32_t Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
};

uint8_t Channel(int64_t ramp, uint32_t noise) {
    const int64_t value = ramp + static_cast<int64_t>(noise % 33) - 16;
    return static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
}

// A photo-like colour: three crossing gradients with a little grain.
BmpPixel PhotoColor(int32_t x, int32_t y, int32_t width, int32_t height, Noise& noise) {
    const uint32_t n = noise.Next();
    return BmpPixel{Channel(int64_t{255} * x / width, n), Channel(int64_t{255} * y / height, n >> 8),
                    Channel(int64_t{255} * (x + y) / (width + height), n >> 16), static_cast<uint8_t>(n >> 24)};
}

// At the indexed depths every pixel holds one of the palette's colours, picked along the same
// gradients so that all entries are in use.
BmpPixel IndexedColor(const BmpImage& image, int32_t x, int32_t y, Noise& noise) {
    const int32_t entries = image.PaletteSize();
    const int64_t ramp = (int64_t{x} * 7 + int64_t{y} * 3) * entries / (int64_t{image.GetWidth()} * 7 + int64_t{image.GetHeight()} * 3);
    const int32_t jitter = static_cast<int32_t>(noise.Next() % 5) - 2;
    int64_t index = ramp + jitter;
    if (index < 0) index = 0;
    if (index >= entries) index = entries - 1;
    return image.PaletteColor(static_cast<int32_t>(index));
}

bool Make(const std::string& folder, const char* name, int32_t width, int32_t height, int32_t depth) {
    BmpImage image;
    if (!image.SetDepth(depth) || !image.Resize(width, height)) return false;
    image.SetPixelsPerMeter(3780, 3780);
    Noise noise;
    const bool indexed = image.HasPalette();
    for (int32_t x = 0; x < width; ++x) {
        BmpPixel* column = image.Column(x);
        for (int32_t y = 0; y < height; ++y)
            column[y] = indexed ? IndexedColor(image, x, y, noise) : PhotoColor(x, y, width, height, noise);
    }
    const std::string path = folder + "/" + name;
    if (!image.SaveFile(path.c_str())) {
        std::fprintf(stderr, "rastero_make_inputs: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: rastero_make_inputs FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    struct Input { const char* name; int32_t width, height, depth; };
    const Input inputs[] = {
        {"rgb24.bmp", 8000, 6000, 24}, {"rgb32.bmp", 8000, 6000, 32}, {"rgb16.bmp", 8000, 6000, 16},
        {"pal8.bmp", 8000, 6000, 8},   {"pal4.bmp", 8000, 6000, 4},   {"pal1.bmp", 8000, 6000, 1},
        {"photo24.bmp", 4000, 3000, 24}, {"small24.bmp", 2000, 1500, 24},
    };
    for (const Input& input : inputs)
        if (!Make(folder, input.name, input.width, input.height, input.depth)) return 1;
    return 0;
}
