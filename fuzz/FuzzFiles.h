#pragma once

// What the fuzz targets share: a scratch folder for their files and the inputs they skip.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "image/BmpImage.h"
#include "tests/bmpfile/BmpFixture.h"

namespace rastero::fuzz {

inline void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

// A header may ask for up to the pixel limit while the file holds a few bytes. Such inputs are
// valid but only fill white pixels slowly; the tests cover them, the fuzzer skips them.
inline bool AsksForManyPixels(const uint8_t* data, size_t size) {
    if (size < 26) return false;
    int32_t width, height;
    std::memcpy(&width, data + 18, 4);
    std::memcpy(&height, data + 22, 4);
    const int64_t pixels = int64_t{width} * height;
    return width > 0 && height > 0 && pixels > (int64_t{1} << 15) && pixels <= rastero::MaxPixelCount;
}

inline void WriteScratch(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    Require(file != nullptr, "scratch file");
    Require(std::fwrite(data, 1, size, file) == size && std::fclose(file) == 0, "scratch write");
}

}  // namespace rastero::fuzz
