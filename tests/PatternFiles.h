#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "image/BmpImage.h"
#include "tests/TestSupport.h"
#include "tests/bmpfile/BmpFixture.h"

namespace rastero {

inline bool FileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

// Saves a picture of PatternPixel colours shifted by `seed`, so files of different seeds differ.
inline bool SavePatternImage(const std::string& path, int32_t width, int32_t height, int32_t depth,
                             int32_t seed = 0) {
    BmpImage image;
    if (!image.Resize(width, height) || !image.SetDepth(depth)) return false;
    for (int32_t x = 0; x < width; ++x)
        for (int32_t y = 0; y < height; ++y) image.PutPixel(x, y, PatternPixel(x + seed, y + 2 * seed));
    return image.SaveFile(path.c_str());
}

}  // namespace rastero
