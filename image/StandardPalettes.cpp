#include <algorithm>
#include <iterator>

#include "image/BmpImage.h"

namespace rastero {

namespace {

constexpr BmpPixel Standard1[] = {{0, 0, 0, 0}, {255, 255, 255, 0}};

// Entries 0 to 7 take 128 for each set bit of the index (bit 0 red, bit 1 green, bit 2 blue),
// entries 9 to 15 take 255 the same way, and entry 8 is light grey.
constexpr BmpPixel Standard4[] = {
    {0, 0, 0, 0},       {0, 0, 128, 0},     {0, 128, 0, 0},     {0, 128, 128, 0},
    {128, 0, 0, 0},     {128, 0, 128, 0},   {128, 128, 0, 0},   {128, 128, 128, 0},
    {192, 192, 192, 0}, {0, 0, 255, 0},     {0, 255, 0, 0},     {0, 255, 255, 0},
    {255, 0, 0, 0},     {255, 0, 255, 0},   {255, 255, 0, 0},   {255, 255, 255, 0},
};

// The twenty fixed entries that replace 0 to 9 and 246 to 255 of the 8-bit colour cube.
constexpr BmpPixel Standard8Low[] = {
    {0, 0, 0, 0},     {0, 0, 128, 0},     {0, 128, 0, 0},     {0, 128, 128, 0},
    {128, 0, 0, 0},   {128, 0, 128, 0},   {128, 128, 0, 0},   {192, 192, 192, 0},
    {192, 220, 192, 0}, {240, 202, 166, 0},
};
constexpr BmpPixel Standard8High[] = {
    {240, 251, 255, 0}, {164, 160, 160, 0}, {128, 128, 128, 0}, {0, 0, 255, 0},   {0, 255, 0, 0},
    {0, 255, 255, 0},   {255, 0, 0, 0},     {255, 0, 255, 0},   {255, 255, 0, 0}, {255, 255, 255, 0},
};

void FillStandard8(BmpPixel* entries) {
    for (int n = 0; n < 256; ++n) {
        entries[n] = BmpPixel{static_cast<uint8_t>(64 * (n / 64)), static_cast<uint8_t>(32 * ((n / 8) % 8)),
                              static_cast<uint8_t>(32 * (n % 8)), 0};
    }
    std::copy(std::begin(Standard8Low), std::end(Standard8Low), entries);
    std::copy(std::begin(Standard8High), std::end(Standard8High), entries + 246);
}

}  // namespace

bool BmpImage::BuildStandardPalette() {
    if (!palette) return false;
    switch (depth) {
        case 1: std::copy(std::begin(Standard1), std::end(Standard1), palette.get()); return true;
        case 4: std::copy(std::begin(Standard4), std::end(Standard4), palette.get()); return true;
        case 8: FillStandard8(palette.get()); return true;
        default: return false;
    }
}

}  // namespace rastero
