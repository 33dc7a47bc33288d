#include <gtest/gtest.h>

#include "image/ColorMatching.h"
#include "tests/TestSupport.h"

namespace rastero {
namespace {

BmpPixel Grey(int level, uint8_t alpha = 0) {
    const auto v = static_cast<uint8_t>(level);
    return BmpPixel{v, v, v, alpha};
}

TEST(ColorMatchingTest, NearestEntryOnTheStandardPalettes) {
    struct Case { const char* name; int32_t depth; BmpPixel color; int want; };
    const Case cases[] = {
        {"grey 127 is nearer black", 1, Grey(127), 0},
        {"grey 128 is nearer white", 1, Grey(128), 1},
        {"alpha is ignored", 1, Grey(128, 255), 1},
        {"exact light grey at 4 bits", 4, {192, 192, 192, 0}, 8},
        {"exact light grey at 8 bits", 8, {192, 192, 192, 0}, 7},
        {"dark grey at 8 bits first matches the colour cube", 8, {128, 128, 128, 0}, 164},
        {"near red at 4 bits", 4, {10, 10, 250, 77}, 9},
    };
    for (const Case& c : cases) {
        BmpImage image;
        ASSERT_TRUE(image.SetDepth(c.depth));
        EXPECT_EQ(image.NearestPaletteIndex(c.color), c.want) << c.name;
    }
}

TEST(ColorMatchingTest, TiesGoToTheLowestIndexAndExactMatchesStop) {
    BmpImage image;
    ASSERT_TRUE(image.SetDepth(4));
    for (int32_t i = 0; i < 16; ++i) image.SetPaletteColor(i, Grey(200));
    image.SetPaletteColor(0, BmpPixel{0, 0, 0, 0});
    image.SetPaletteColor(1, BmpPixel{2, 2, 2, 0});
    EXPECT_EQ(image.NearestPaletteIndex(Grey(1)), 0) << "distance 3 from both entries";

    image.SetPaletteColor(4, BmpPixel{10, 20, 30, 1});
    image.SetPaletteColor(5, BmpPixel{10, 20, 30, 2});
    EXPECT_EQ(image.NearestPaletteIndex(BmpPixel{10, 20, 30, 2}), 4) << "first exact match wins";
    EXPECT_EQ(image.NearestPaletteIndex(Grey(200)), 2);
}

TEST(ColorMatchingTest, NoPaletteAnswersZero) {
    for (int32_t depth : {16, 24, 32}) {
        BmpImage image;
        ASSERT_TRUE(image.SetDepth(depth));
        EXPECT_EQ(image.NearestPaletteIndex(BmpPixel{12, 34, 56, 0}), 0) << depth;
        EXPECT_EQ(image.NearestPaletteIndex(WhitePixel), 0) << depth;
    }
}

TEST(ColorMatchingTest, GrayPalettes) {
    struct Case { int32_t depth, step; };
    for (const Case c : {Case{1, 255}, {4, 17}, {8, 1}}) {
        BmpImage image;
        ASSERT_TRUE(image.SetDepth(c.depth));
        ASSERT_TRUE(image.Resize(2, 1));
        image.PutPixel(0, 0, BmpPixel{1, 2, 3, 4});
        ASSERT_TRUE(BuildGrayPalette(image));
        for (int32_t i = 0; i < image.PaletteSize(); ++i) {
            EXPECT_EQ(image.PaletteColor(i), Grey(i * c.step)) << "depth " << c.depth << " entry " << i;
        }
        EXPECT_EQ(image.PixelAt(0, 0), (BmpPixel{1, 2, 3, 4}));
    }
    BmpImage eight;
    ASSERT_TRUE(eight.SetDepth(8));
    ASSERT_TRUE(BuildGrayPalette(eight));
    for (int v = 0; v < 256; ++v) EXPECT_EQ(eight.NearestPaletteIndex(Grey(v, 9)), v);
}

TEST(ColorMatchingTest, GrayPaletteRefusedWithoutPalette) {
    for (int32_t depth : {16, 24, 32}) {
        BmpImage image;
        ASSERT_TRUE(image.SetDepth(depth));
        EXPECT_FALSE(BuildGrayPalette(image)) << depth;
        EXPECT_EQ(image.PaletteColor(0), WhitePixel);
        EXPECT_EQ(image.GetDepth(), depth);
    }
}

}  // namespace
}  // namespace rastero
