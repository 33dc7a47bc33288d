#include <gtest/gtest.h>

#include "image/BmpImage.h"
#include "tests/TestSupport.h"

namespace rastero {
namespace {

TEST(ImageTest, DefaultImageIsOneWhitePixelAtDepth24) {
    BmpImage image;
    EXPECT_EQ(image.GetWidth(), 1);
    EXPECT_EQ(image.GetHeight(), 1);
    EXPECT_EQ(image.GetDepth(), 24);
    EXPECT_FALSE(image.HasPalette());
    EXPECT_EQ(image.GetXPixelsPerMeter(), 0);
    EXPECT_EQ(image.GetYPixelsPerMeter(), 0);
    EXPECT_EQ(image.PaletteSize(), 16777216);
    EXPECT_EQ(image.PaletteColor(0), WhitePixel);
    EXPECT_EQ(image.PixelAt(0, 0), WhitePixel);
}

TEST(ImageTest, IntPowerCornerCases) {
    struct Case { int32_t base, exponent, want; };
    const Case cases[] = {{2, 0, 1}, {2, -1, 1}, {3, 4, 81}, {2, 8, 256}, {2, 24, 16777216}, {-2, 3, -8},
                          {2, 32, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(IntPower(c.base, c.exponent), c.want) << c.base << "^" << c.exponent;
    }
}

TEST(ImageTest, ResizeRefusalsLeaveSizeAndPixels) {
    struct Case { const char* name; int32_t width, height; };
    const Case cases[] = {{"zero width", 0, 10},
                          {"negative height", 10, -1},
                          {"minimum", INT32_MIN, INT32_MIN},
                          {"over the pixel limit", 1 << 14, (1 << 14) + 1},
                          {"overflowing product", INT32_MAX, INT32_MAX}};
    for (const Case& c : cases) {
        BmpImage image;
        ASSERT_TRUE(image.Resize(3, 2));
        FillPattern(image);
        EXPECT_FALSE(image.Resize(c.width, c.height)) << c.name;
        EXPECT_EQ(image.GetWidth(), 3) << c.name;
        EXPECT_EQ(image.GetHeight(), 2) << c.name;
        EXPECT_EQ(image.PixelAt(2, 1), PatternPixel(2, 1)) << c.name;
    }
}

TEST(ImageTest, ResizeToSameSizeResetsPixelsAndKeepsTheRest) {
    BmpImage image;
    ASSERT_TRUE(image.SetDepth(4));
    ASSERT_TRUE(image.Resize(5, 4));
    image.SetPixelsPerMeter(100, 200);
    image.SetPaletteColor(3, BmpPixel{1, 2, 3, 4});
    FillPattern(image);
    ASSERT_TRUE(image.Resize(5, 4));
    for (int32_t x = 0; x < 5; ++x)
        for (int32_t y = 0; y < 4; ++y) EXPECT_EQ(image.PixelAt(x, y), WhitePixel);
    EXPECT_EQ(image.GetDepth(), 4);
    EXPECT_EQ(image.PaletteColor(3), (BmpPixel{1, 2, 3, 4}));
    EXPECT_EQ(image.GetXPixelsPerMeter(), 100);
    EXPECT_EQ(image.GetYPixelsPerMeter(), 200);
}

TEST(ImageTest, ColumnsAreContiguousPerColumn) {
    BmpImage image;
    ASSERT_TRUE(image.Resize(4, 3));
    FillPattern(image);
    for (int32_t x = 0; x < 4; ++x)
        for (int32_t y = 0; y < 3; ++y) EXPECT_EQ(image.Column(x)[y], PatternPixel(x, y));
}

TEST(ImageTest, ReadsAreClampedToTheNearestEdge) {
    BmpImage image;
    ASSERT_TRUE(image.Resize(5, 4));
    FillPattern(image);
    struct Case { int32_t x, y, wantX, wantY; };
    const Case cases[] = {{-3, 2, 0, 2}, {9, 4, 4, 3}, {INT32_MIN, INT32_MAX, 0, 3}, {2, -1, 2, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(image.PixelAt(c.x, c.y), PatternPixel(c.wantX, c.wantY)) << c.x << "," << c.y;
        EXPECT_EQ(&image.PixelRef(c.x, c.y), &image.PixelRef(c.wantX, c.wantY)) << c.x << "," << c.y;
    }
}

TEST(ImageTest, PutPixelOutsideStoresNothing) {
    BmpImage image;
    ASSERT_TRUE(image.Resize(2, 2));
    const BmpPixel red{0, 0, 255, 9};
    EXPECT_TRUE(image.PutPixel(1, 1, red));
    EXPECT_EQ(image.PixelAt(1, 1), red);
    for (auto [x, y] : {std::pair{-1, 0}, {2, 0}, {0, -1}, {0, 2}}) {
        EXPECT_FALSE(image.PutPixel(x, y, BmpPixel{1, 1, 1, 1}));
    }
    EXPECT_EQ(image.PixelAt(0, 0), WhitePixel);
    EXPECT_EQ(image.PixelAt(1, 0), WhitePixel);
    EXPECT_EQ(image.PixelAt(0, 1), WhitePixel);
}

TEST(ImageTest, SetDepthRefusesUnsupportedDepths) {
    for (int32_t depth : {0, 2, 12, 64, -8}) {
        BmpImage image;
        ASSERT_TRUE(image.SetDepth(8));
        image.SetPaletteColor(5, BmpPixel{9, 9, 9, 9});
        EXPECT_FALSE(image.SetDepth(depth)) << depth;
        EXPECT_EQ(image.GetDepth(), 8);
        EXPECT_EQ(image.PaletteColor(5), (BmpPixel{9, 9, 9, 9}));
    }
}

TEST(ImageTest, SetDepthAlwaysInstallsTheStandardPaletteAndKeepsPixels) {
    BmpImage image;
    ASSERT_TRUE(image.Resize(3, 3));
    FillPattern(image);
    ASSERT_TRUE(image.SetDepth(8));
    const BmpPixel standard7 = image.PaletteColor(7);
    ASSERT_TRUE(image.SetPaletteColor(7, BmpPixel{1, 2, 3, 4}));
    ASSERT_TRUE(image.SetDepth(8));
    EXPECT_EQ(image.PaletteColor(7), standard7);

    ASSERT_TRUE(image.SetDepth(24));
    EXPECT_FALSE(image.HasPalette());
    EXPECT_EQ(image.PaletteColor(7), WhitePixel);
    EXPECT_FALSE(image.SetPaletteColor(0, BmpPixel{1, 2, 3, 4}));
    EXPECT_FALSE(image.BuildStandardPalette());

    ASSERT_TRUE(image.SetDepth(32));
    EXPECT_FALSE(image.HasPalette());
    EXPECT_EQ(image.PaletteSize(), 16777216);
    for (int32_t x = 0; x < 3; ++x)
        for (int32_t y = 0; y < 3; ++y) EXPECT_EQ(image.PixelAt(x, y), PatternPixel(x, y));
}

TEST(ImageTest, PaletteSizesAndBounds) {
    struct Case { int32_t depth, size; };
    for (const Case c : {Case{1, 2}, {4, 16}, {8, 256}, {16, 65536}, {24, 16777216}, {32, 16777216}}) {
        BmpImage image;
        ASSERT_TRUE(image.SetDepth(c.depth));
        EXPECT_EQ(image.PaletteSize(), c.size) << c.depth;
    }
    const BmpPixel c{1, 2, 3, 4};
    BmpImage one;
    ASSERT_TRUE(one.SetDepth(1));
    EXPECT_EQ(one.PaletteColor(2), WhitePixel);
    EXPECT_EQ(one.PaletteColor(-1), WhitePixel);
    BmpImage four;
    ASSERT_TRUE(four.SetDepth(4));
    EXPECT_FALSE(four.SetPaletteColor(16, c));
    EXPECT_FALSE(four.SetPaletteColor(-1, c));
    EXPECT_TRUE(four.SetPaletteColor(15, c));
    EXPECT_EQ(four.PaletteColor(15), c);
}

TEST(ImageTest, StandardPalettes) {
    struct Case { int32_t depth, index; BmpPixel want; };
    const Case cases[] = {
        {1, 0, {0, 0, 0, 0}},         {1, 1, {255, 255, 255, 0}},     {4, 1, {0, 0, 128, 0}},
        {4, 6, {128, 128, 0, 0}},     {4, 7, {128, 128, 128, 0}},     {4, 8, {192, 192, 192, 0}},
        {4, 9, {0, 0, 255, 0}},       {4, 12, {255, 0, 0, 0}},        {4, 15, {255, 255, 255, 0}},
        {8, 0, {0, 0, 0, 0}},         {8, 6, {128, 128, 0, 0}},       {8, 7, {192, 192, 192, 0}},
        {8, 8, {192, 220, 192, 0}},   {8, 9, {240, 202, 166, 0}},     {8, 10, {0, 32, 64, 0}},
        {8, 100, {64, 128, 128, 0}},  {8, 245, {192, 192, 160, 0}},   {8, 246, {240, 251, 255, 0}},
        {8, 247, {164, 160, 160, 0}}, {8, 248, {128, 128, 128, 0}},   {8, 249, {0, 0, 255, 0}},
        {8, 252, {255, 0, 0, 0}},     {8, 255, {255, 255, 255, 0}},
    };
    for (const Case& c : cases) {
        BmpImage image;
        ASSERT_TRUE(image.SetDepth(c.depth));
        EXPECT_EQ(image.PaletteColor(c.index), c.want) << "depth " << c.depth << " entry " << c.index;
    }
}

}  // namespace
}  // namespace rastero
