#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

#include "ops/Rescale.h"
#include "ops/Warnings.h"
#include "tests/TestSupport.h"

namespace rastero {
namespace {

void MakePattern(BmpImage& image, int32_t width, int32_t height) {
    ASSERT_TRUE(image.Resize(width, height));
    FillPattern(image);
}

uint8_t Truncated(double sum) { return static_cast<uint8_t>(static_cast<unsigned>(sum)); }

// The fill as plainly as it can be written: row by row, every read a clamped PixelRef, every
// pixel on its own. The library reorganises the loops; the results must not change.
void NaiveRescale(BmpImage& source, BmpImage& out, int32_t newWidth, int32_t newHeight) {
    ASSERT_TRUE(out.Resize(newWidth, newHeight));
    const int32_t w = source.GetWidth();
    const int32_t h = source.GetHeight();
    for (int32_t j = 0; j <= newHeight - 2; ++j) {
        const double ys = (double(j) * (double(h) - 1.0)) / (double(newHeight) - 1.0);
        const auto y0 = static_cast<int32_t>(std::floor(ys));
        const double fy = ys - double(y0);
        for (int32_t i = 0; i <= newWidth - 2; ++i) {
            const double xs = (double(i) * (double(w) - 1.0)) / (double(newWidth) - 1.0);
            const auto x0 = static_cast<int32_t>(std::floor(xs));
            const double fx = xs - double(x0);
            const BmpPixel a = source.PixelRef(x0, y0);
            const BmpPixel b = source.PixelRef(x0 + 1, y0);
            const BmpPixel c = source.PixelRef(x0, y0 + 1);
            const BmpPixel d = source.PixelRef(x0 + 1, y0 + 1);
            const double wd = fx * fy;
            const double wa = ((1.0 - fx) - fy) + wd;
            const double wc = fy - wd;
            const double wb = fx - wd;
            BmpPixel& p = out.PixelRef(i, j);
            p.red = Truncated(((double(b.red) * wb + double(c.red) * wc) + double(d.red) * wd) + double(a.red) * wa);
            p.green = Truncated(((double(b.green) * wb + double(c.green) * wc) + double(d.green) * wd) +
                                double(a.green) * wa);
            p.blue = Truncated(((double(d.blue) * wd + double(a.blue) * wa) + double(b.blue) * wb) +
                               double(c.blue) * wc);
            p.alpha = 0;
        }
        const BmpPixel top = source.PixelRef(w - 1, y0);
        const BmpPixel bottom = source.PixelRef(w - 1, y0 + 1);
        BmpPixel& p = out.PixelRef(newWidth - 1, j);
        p.red = Truncated(double(bottom.red) * fy + double(top.red) * (1.0 - fy));
        p.green = Truncated(double(bottom.green) * fy + double(top.green) * (1.0 - fy));
        p.blue = Truncated(double(bottom.blue) * fy + double(top.blue) * (1.0 - fy));
        p.alpha = 0;
    }
    for (int32_t i = 0; i <= newWidth - 2; ++i) {
        const double xs = (double(i) * (double(w) - 1.0)) / (double(newWidth) - 1.0);
        const auto x0 = static_cast<int32_t>(std::floor(xs));
        const double fx = xs - double(x0);
        const BmpPixel left = source.PixelRef(x0, h - 1);
        const BmpPixel right = source.PixelRef(x0 + 1, h - 1);
        BmpPixel& p = out.PixelRef(i, newHeight - 1);
        p.red = Truncated(double(right.red) * fx + double(left.red) * (1.0 - fx));
        p.green = Truncated(double(right.green) * fx + double(left.green) * (1.0 - fx));
        p.blue = Truncated(double(right.blue) * fx + double(left.blue) * (1.0 - fx));
        p.alpha = 0;
    }
    out.PixelRef(newWidth - 1, newHeight - 1) = source.PixelRef(w - 1, h - 1);
}

TEST(RescaleTest, SizeFollowsTheModeArithmetic) {
    struct Case { const char* name; int32_t width, height; char mode; int32_t size, wantWidth, wantHeight; };
    const Case cases[] = {
        {"percentage floors", 101, 33, 'P', 50, 50, 16},
        {"percentage in lower case", 101, 33, 'p', 50, 50, 16},
        {"percentage 100", 7, 5, 'P', 100, 7, 5},
        {"percentage 0", 7, 5, 'P', 0, 1, 1},
        {"negative percentage", 7, 5, 'p', -40, 1, 1},
        {"width: quotient before product", 3, 15, 'W', 49, 49, 244},
        {"width in lower case", 3, 15, 'w', 49, 49, 244},
        {"negative width", 7, 5, 'W', -3, 1, 1},
        {"height", 4, 6, 'H', 3, 2, 3},
        {"height whose width floors to 0", 4, 6, 'h', 1, 1, 1},
        {"fit a wide image by its width", 200, 100, 'F', 50, 50, 25},
        {"fit a tall image by its height", 100, 200, 'f', 50, 25, 50},
        {"fit a square by its height", 7, 7, 'F', 61, 60, 61},
    };
    for (const Case& c : cases) {
        BmpImage image;
        MakePattern(image, c.width, c.height);
        ASSERT_TRUE(RescaleImage(image, c.mode, c.size)) << c.name;
        EXPECT_TRUE(image.GetWidth() == c.wantWidth && image.GetHeight() == c.wantHeight)
            << c.name << ": have " << image.GetWidth() << " x " << image.GetHeight() << ", want "
            << c.wantWidth << " x " << c.wantHeight;
    }
}

TEST(RescaleTest, SizesBeyondThirtyTwoBitsOrThePixelLimit) {
    struct Case { const char* name; int32_t width, height; char mode; int32_t size; bool wantOk; int32_t wantWidth, wantHeight; };
    const Case cases[] = {
        {"percentage product beyond 32 bits", 30000000, 1, 'P', 99, true, 29700000, 1},
        {"exactly the pixel limit", 16384, 16384, 'P', 100, true, 16384, 16384},
        {"one row over the pixel limit", 16384, 16384, 'H', 16385, false, 0, 0},
        {"largest percentage", 1, 1, 'P', INT32_MAX, false, 0, 0},
        {"smallest percentage", 1000, 1000, 'P', INT32_MIN, true, 1, 1},
        {"largest width", 1, 1, 'W', INT32_MAX, false, 0, 0},
        {"height from a huge quotient", 1, 1, 'H', 1 << 20, false, 0, 0},
        {"long row", 1 << 28, 1, 'W', 1 << 28, true, 1 << 28, 1},
        {"unknown mode", 10, 10, 'x', 50, false, 0, 0},
    };
    for (const Case& c : cases) {
        RescaledSize size{0, 0};
        const bool ok = ComputeRescaledSize(c.width, c.height, c.mode, c.size, size);
        EXPECT_EQ(ok, c.wantOk) << c.name << ": have " << ok << ", want " << c.wantOk;
        if (ok && c.wantOk) {
            EXPECT_TRUE(size.width == c.wantWidth && size.height == c.wantHeight)
                << c.name << ": have " << size.width << " x " << size.height << ", want " << c.wantWidth
                << " x " << c.wantHeight;
        }
    }
}

TEST(RescaleTest, RefusalsKeepTheImageButReadItsResolution) {
    struct Case { const char* name; char mode; int32_t size; };
    const Case cases[] = {
        {"unknown letter", 'x', 50},
        {"NUL", '\0', 50},
        {"character beyond ASCII", static_cast<char>(0xF0), 50},
        {"percentage beyond the pixel limit", 'P', INT32_MAX},
        {"width beyond the pixel limit", 'w', INT32_MAX},
        {"height beyond the pixel limit", 'H', 1 << 28},
    };
    for (const Case& c : cases) {
        BmpImage image;
        ASSERT_TRUE(image.SetDepth(4));
        MakePattern(image, 5, 3);
        image.SetPaletteColor(2, BmpPixel{1, 2, 3, 4});
        image.SetPixelsPerMeter(0, 2835);
        EXPECT_FALSE(RescaleImage(image, c.mode, c.size)) << c.name;
        EXPECT_TRUE(image.GetWidth() == 5 && image.GetHeight() == 3 && image.GetDepth() == 4) << c.name;
        EXPECT_EQ(image.PaletteColor(2), (BmpPixel{1, 2, 3, 4})) << c.name;
        EXPECT_EQ(image.PaletteColor(3), (BmpPixel{0, 128, 128, 0})) << c.name;
        for (int32_t x = 0; x < 5; ++x)
            for (int32_t y = 0; y < 3; ++y) ASSERT_EQ(image.PixelAt(x, y), PatternPixel(x, y)) << c.name;
        EXPECT_EQ(image.GetXPixelsPerMeter(), 3780) << c.name << ": an unset resolution is read as the default";
        EXPECT_EQ(image.GetYPixelsPerMeter(), 2835) << c.name << ": a set resolution stays as it was";
    }
}

TEST(RescaleTest, ResultIs24BitWithStoredColoursInterpolatedAndResolutionKept) {
    BmpImage image;
    ASSERT_TRUE(image.SetDepth(8));
    ASSERT_TRUE(image.Resize(2, 1));
    image.PutPixel(0, 0, BmpPixel{10, 20, 30, 40});
    image.PutPixel(1, 0, BmpPixel{110, 120, 130, 140});
    image.SetPixelsPerMeter(2835, 0);
    ASSERT_TRUE(RescaleImage(image, 'W', 3));
    ASSERT_EQ(image.GetWidth(), 3);
    ASSERT_EQ(image.GetHeight(), 1);
    EXPECT_EQ(image.GetDepth(), 24);
    EXPECT_FALSE(image.HasPalette());
    EXPECT_EQ(image.PixelAt(0, 0), (BmpPixel{10, 20, 30, 0}));
    EXPECT_EQ(image.PixelAt(1, 0), (BmpPixel{60, 70, 80, 0}));
    EXPECT_EQ(image.PixelAt(2, 0), (BmpPixel{110, 120, 130, 140}));
    // The image's own resolution, not the working copy's, which lost a little through whole dots.
    EXPECT_EQ(image.GetXPixelsPerMeter(), 2835);
    EXPECT_EQ(image.GetYPixelsPerMeter(), 3780);
}

TEST(RescaleTest, RedRampInterpolatesAndTruncates) {
    BmpImage image;
    ASSERT_TRUE(image.Resize(2, 2));
    image.PutPixel(0, 0, BmpPixel{0, 0, 0, 9});
    image.PutPixel(1, 0, BmpPixel{0, 0, 100, 9});
    image.PutPixel(0, 1, BmpPixel{0, 0, 200, 9});
    image.PutPixel(1, 1, BmpPixel{0, 0, 255, 9});
    ASSERT_TRUE(RescaleImage(image, 'P', 150));
    ASSERT_EQ(image.GetWidth(), 3);
    ASSERT_EQ(image.GetHeight(), 3);
    const int wantRed[3][3] = {{0, 50, 100}, {100, 138, 177}, {200, 227, 255}};
    for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x < 3; ++x) {
            const BmpPixel want{0, 0, static_cast<uint8_t>(wantRed[y][x]),
                                static_cast<uint8_t>(x == 2 && y == 2 ? 9 : 0)};
            EXPECT_EQ(image.PixelAt(x, y), want)
                << "at (" << x << ", " << y << ") have " << image.PixelAt(x, y) << ", want " << want;
        }
    }
}

TEST(RescaleTest, BlueIsSummedInItsOwnOrder) {
    BmpImage image;
    ASSERT_TRUE(image.Resize(2, 2));
    ASSERT_TRUE(RescaleImage(image, 'W', 7));
    ASSERT_EQ(image.GetWidth(), 7);
    ASSERT_EQ(image.GetHeight(), 7);
    EXPECT_EQ(image.PixelAt(5, 1), (BmpPixel{255, 254, 254, 0}));
}

TEST(RescaleTest, FullSizeKeepsEveryColourAndOnlyTheLastAlpha) {
    BmpImage image;
    MakePattern(image, 9, 7);
    ASSERT_TRUE(RescaleImage(image, 'p', 100));
    ASSERT_EQ(image.GetWidth(), 9);
    ASSERT_EQ(image.GetHeight(), 7);
    for (int32_t x = 0; x < 9; ++x) {
        for (int32_t y = 0; y < 7; ++y) {
            BmpPixel want = PatternPixel(x, y);
            if (x != 8 || y != 6) want.alpha = 0;
            ASSERT_EQ(image.PixelAt(x, y), want) << "at (" << x << ", " << y << ")";
        }
    }
}

TEST(RescaleTest, OnePixelResultsTakeTheBottomRightPixel) {
    struct Case { const char* name; char mode; int32_t size; };
    const Case cases[] = {{"percentage 0", 'P', 0}, {"width -3", 'W', -3}, {"height 1", 'H', 1}, {"fit 0", 'f', 0}};
    for (const Case& c : cases) {
        BmpImage image;
        MakePattern(image, 4, 6);
        ASSERT_TRUE(RescaleImage(image, c.mode, c.size)) << c.name;
        ASSERT_TRUE(image.GetWidth() == 1 && image.GetHeight() == 1) << c.name;
        EXPECT_EQ(image.PixelAt(0, 0), PatternPixel(3, 5))
            << c.name << ": have " << image.PixelAt(0, 0) << ", want " << PatternPixel(3, 5);
    }
}

TEST(RescaleTest, MatchesThePixelByPixelFill) {
    // White sources put every sum next to 255, where any change in the order of the arithmetic
    // shows after truncation.
    enum class Content { Pattern, White };
    struct Case { const char* name; Content content; int32_t width, height; char mode; int32_t size; };
    const Case cases[] = {
        {"enlarge", Content::Pattern, 5, 4, 'P', 370},
        {"shrink", Content::Pattern, 40, 30, 'P', 37},
        {"one column source", Content::Pattern, 1, 5, 'H', 9},
        {"one row source", Content::Pattern, 5, 1, 'W', 12},
        {"one column result", Content::Pattern, 6, 9, 'H', 4},
        {"across several bands of rows", Content::Pattern, 3, 200, 'P', 300},
        {"tall shrink across bands", Content::Pattern, 7, 1000, 'H', 777},
        {"wide", Content::Pattern, 300, 2, 'W', 611},
        {"white to 7 x 7", Content::White, 2, 2, 'W', 7},
        {"white to 8 x 8", Content::White, 2, 2, 'W', 8},
        {"white to 12 x 12", Content::White, 2, 2, 'H', 12},
        {"white enlarged unevenly", Content::White, 3, 5, 'P', 730},
    };
    for (const Case& c : cases) {
        BmpImage image;
        if (c.content == Content::Pattern) {
            MakePattern(image, c.width, c.height);
        } else {
            ASSERT_TRUE(image.Resize(c.width, c.height));
        }
        BmpImage source(image);
        ASSERT_TRUE(RescaleImage(image, c.mode, c.size)) << c.name;
        BmpImage want;
        NaiveRescale(source, want, image.GetWidth(), image.GetHeight());
        int mismatches = 0;
        for (int32_t x = 0; x < want.GetWidth(); ++x)
            for (int32_t y = 0; y < want.GetHeight(); ++y)
                if (image.PixelAt(x, y) != want.PixelAt(x, y) && ++mismatches <= 3)
                    ADD_FAILURE() << c.name << ": at (" << x << ", " << y << ") have " << image.PixelAt(x, y)
                                  << ", want " << want.PixelAt(x, y);
        EXPECT_EQ(mismatches, 0) << c.name;
    }
}

TEST(RescaleTest, WarningsSwitchIsOnAtLoadAndFollowsTheCaller) {
    EXPECT_TRUE(WarningsEnabled());
    DisableWarnings();
    EXPECT_FALSE(WarningsEnabled());
    DisableWarnings();
    EXPECT_FALSE(WarningsEnabled());
    EnableWarnings();
    EXPECT_TRUE(WarningsEnabled());
}

}  // namespace
}  // namespace rastero
