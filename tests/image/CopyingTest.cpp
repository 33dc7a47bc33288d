#include <gtest/gtest.h>

#include <array>
#include <climits>

#include "image/Copying.h"
#include "tests/TestSupport.h"

namespace rastero {
namespace {

constexpr BmpPixel Marker{1, 2, 3, 4};

void MakePattern(BmpImage& image, int32_t width, int32_t height) {
    ASSERT_TRUE(image.Resize(width, height));
    FillPattern(image);
}

void MakeMarked(BmpImage& image, int32_t width, int32_t height) {
    ASSERT_TRUE(image.Resize(width, height));
    for (int32_t x = 0; x < width; ++x)
        for (int32_t y = 0; y < height; ++y) image.PutPixel(x, y, Marker);
}

TEST(CopyingTest, DpiReadsTruncateAndReplaceAnUnsetResolution) {
    struct Case { const char* name; int32_t pixelsPerMeter, wantDpi, wantStored; };
    const Case cases[] = {
        {"screen", 3780, 96, 3780},          {"print", 2835, 72, 2835},
        {"high", 11811, 299, 11811},         {"unset", 0, 96, 3780},
        {"negative", -3780, -96, -3780},     {"largest", INT32_MAX, 54546084, INT32_MAX},
        {"smallest", INT32_MIN, -54546084, INT32_MIN},
    };
    for (const Case& c : cases) {
        BmpImage image;
        image.SetPixelsPerMeter(c.pixelsPerMeter, 5000);
        const int32_t horizontal = image.HorizontalDpi();
        EXPECT_EQ(horizontal, c.wantDpi) << c.name << ": horizontal have " << horizontal << ", want " << c.wantDpi;
        EXPECT_EQ(image.GetXPixelsPerMeter(), c.wantStored) << c.name;
        EXPECT_EQ(image.GetYPixelsPerMeter(), 5000) << c.name << ": the other axis must stay";

        image.SetPixelsPerMeter(5000, c.pixelsPerMeter);
        const int32_t vertical = image.VerticalDpi();
        EXPECT_EQ(vertical, c.wantDpi) << c.name << ": vertical have " << vertical << ", want " << c.wantDpi;
        EXPECT_EQ(image.GetYPixelsPerMeter(), c.wantStored) << c.name;
        EXPECT_EQ(image.GetXPixelsPerMeter(), 5000) << c.name << ": the other axis must stay";
    }
}

TEST(CopyingTest, SetResolutionDpiTruncatesTowardZeroAndSaturates) {
    struct Case { const char* name; int32_t horizontal, vertical, wantX, wantY; };
    const Case cases[] = {
        {"screen and print", 96, 72, 3779, 2834},
        {"negative", -10, 10, -393, 393},
        {"zero", 0, 0, 0, 0},
        {"largest that fits", 54546084, -54546084, 2147483622, -2147483622},
        {"beyond 32 bits", INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN},
    };
    for (const Case& c : cases) {
        BmpImage image;
        image.SetResolutionDpi(c.horizontal, c.vertical);
        EXPECT_EQ(image.GetXPixelsPerMeter(), c.wantX)
            << c.name << ": have " << image.GetXPixelsPerMeter() << ", want " << c.wantX;
        EXPECT_EQ(image.GetYPixelsPerMeter(), c.wantY)
            << c.name << ": have " << image.GetYPixelsPerMeter() << ", want " << c.wantY;
    }
    BmpImage image;
    image.SetResolutionDpi(0, 0);
    EXPECT_EQ(image.HorizontalDpi(), 96);
    EXPECT_EQ(image.VerticalDpi(), 96);
}

TEST(CopyingTest, CopyCarriesResolutionThroughWholeDotsPerInch) {
    struct Case { const char* name; int32_t sourceX, sourceY, wantX, wantY, wantSourceX, wantSourceY; };
    const Case cases[] = {
        {"screen", 3780, 3780, 3779, 3779, 3780, 3780},
        {"unset", 0, 0, 3779, 3779, 3780, 3780},
        {"print by exact", 2835, 5000, 2834, 5000, 2835, 5000},
        {"one axis unset", 0, 2835, 3779, 2834, 3780, 2835},
    };
    for (const Case& c : cases) {
        BmpImage source;
        source.SetPixelsPerMeter(c.sourceX, c.sourceY);
        const BmpImage copy(source);
        EXPECT_EQ(copy.GetXPixelsPerMeter(), c.wantX) << c.name << ": have " << copy.GetXPixelsPerMeter() << ", want " << c.wantX;
        EXPECT_EQ(copy.GetYPixelsPerMeter(), c.wantY) << c.name << ": have " << copy.GetYPixelsPerMeter() << ", want " << c.wantY;
        EXPECT_EQ(source.GetXPixelsPerMeter(), c.wantSourceX) << c.name << ": source";
        EXPECT_EQ(source.GetYPixelsPerMeter(), c.wantSourceY) << c.name << ": source";
    }
}

TEST(CopyingTest, CopyIsDeepAndExactAtEveryDepth) {
    for (const int32_t depth : {1, 4, 8, 16, 24, 32}) {
        BmpImage source;
        ASSERT_TRUE(source.SetDepth(depth));
        MakePattern(source, 7, 5);
        // A palette a caller changed, alpha bytes included, must survive; the standard one would not.
        if (source.HasPalette()) {
            source.SetPaletteColor(0, BmpPixel{9, 8, 7, 6});
            source.SetPaletteColor(source.PaletteSize() - 1, BmpPixel{1, 2, 3, 200});
        }
        BmpImage copy(source);
        ASSERT_EQ(copy.GetDepth(), depth);
        ASSERT_EQ(copy.GetWidth(), 7) << depth;
        ASSERT_EQ(copy.GetHeight(), 5) << depth;
        ASSERT_EQ(copy.HasPalette(), source.HasPalette()) << depth;
        for (int32_t i = 0; copy.HasPalette() && i < copy.PaletteSize(); ++i)
            ASSERT_EQ(copy.PaletteColor(i), source.PaletteColor(i)) << "depth " << depth << " entry " << i;
        for (int32_t x = 0; x < 7; ++x)
            for (int32_t y = 0; y < 5; ++y)
                ASSERT_EQ(copy.PixelAt(x, y), PatternPixel(x, y)) << "depth " << depth << " at " << x << ", " << y;

        // Nothing is shared: changing the source leaves the copy alone.
        source.PutPixel(3, 2, Marker);
        source.SetPaletteColor(0, Marker);
        EXPECT_EQ(copy.PixelAt(3, 2), PatternPixel(3, 2)) << depth;
        if (copy.HasPalette()) {
            EXPECT_EQ(copy.PaletteColor(0), (BmpPixel{9, 8, 7, 6})) << depth;
        }
    }
}

TEST(CopyingTest, CopyPixelClampsBothPositions) {
    BmpImage source;
    MakePattern(source, 10, 10);
    BmpImage destination;
    MakeMarked(destination, 10, 10);
    CopyPixel(source, -4, 100, destination, 3, 3);
    EXPECT_EQ(destination.PixelAt(3, 3), PatternPixel(0, 9));
    CopyPixel(source, 2, 5, destination, 50, -7);
    EXPECT_EQ(destination.PixelAt(9, 0), PatternPixel(2, 5));
    CopyPixel(source, INT32_MIN, INT32_MAX, destination, INT32_MIN, INT32_MAX);
    EXPECT_EQ(destination.PixelAt(0, 9), PatternPixel(0, 9));
}

TEST(CopyingTest, CopyPixelUnlessKeyLooksAtColourOnly) {
    const BmpPixel pixel{40, 50, 60, 70};
    struct Case { const char* name; BmpPixel key; bool wantCopied; };
    const Case cases[] = {
        {"same colour, other alpha", {40, 50, 60, 0}, false},
        {"same colour and alpha", {40, 50, 60, 70}, false},
        {"other blue", {41, 50, 60, 70}, true},
        {"other green", {40, 49, 60, 70}, true},
        {"other red", {40, 50, 61, 70}, true},
    };
    for (const Case& c : cases) {
        BmpImage source;
        source.PutPixel(0, 0, pixel);
        BmpImage destination;
        MakeMarked(destination, 2, 2);
        CopyPixelUnlessKey(source, 0, 0, destination, 1, 1, c.key);
        const BmpPixel want = c.wantCopied ? pixel : Marker;
        EXPECT_EQ(destination.PixelAt(1, 1), want)
            << c.name << ": have " << destination.PixelAt(1, 1) << ", want " << want;
    }
}

// Region copies into a separate destination. When something is copied, source columns
// fromLeft..fromRight and rows fromTop..fromBottom must land at (toX, toY), and everything else
// keep its mark.
struct RegionCase {
    const char* name;
    int32_t sourceWidth, sourceHeight, destinationWidth, destinationHeight;
    int32_t left, right, bottom, top, dx, dy;
    bool wantCopy;
    int32_t fromLeft, fromRight, fromTop, fromBottom, toX, toY;
};

void ExpectRegion(const BmpImage& destination, const RegionCase& c) {
    int mismatches = 0;
    for (int32_t x = 0; x < destination.GetWidth(); ++x) {
        for (int32_t y = 0; y < destination.GetHeight(); ++y) {
            const int32_t fromX = c.fromLeft + (x - c.toX);
            const int32_t fromY = c.fromTop + (y - c.toY);
            const bool copied = c.wantCopy && fromX >= c.fromLeft && fromX <= c.fromRight &&
                                fromY >= c.fromTop && fromY <= c.fromBottom;
            const BmpPixel want = copied ? PatternPixel(fromX, fromY) : Marker;
            if (destination.PixelAt(x, y) != want && ++mismatches <= 3)
                ADD_FAILURE() << c.name << ": at (" << x << ", " << y << ") have "
                              << destination.PixelAt(x, y) << ", want " << want;
        }
    }
}

TEST(CopyingTest, CopyRegionClipsInTheGivenOrder) {
    const RegionCase cases[] = {
        {"rows given bottom first", 10, 10, 20, 20, 1, 4, 7, 2, 3, 4, true, 1, 4, 2, 7, 3, 4},
        {"rows given top first", 10, 10, 20, 20, 1, 4, 2, 7, 3, 4, true, 1, 4, 2, 7, 3, 4},
        {"left edge cut, rest not moved", 10, 10, 20, 20, -5, 3, 0, 0, 2, 2, true, 0, 3, 0, 0, 2, 2},
        {"top edge cut, rest not moved", 10, 10, 20, 20, 0, 0, -3, 1, 5, 6, true, 0, 0, 0, 1, 5, 6},
        {"source right and bottom edges", 10, 10, 20, 20, 5, 50, 30, 8, 1, 1, true, 5, 9, 8, 9, 1, 1},
        {"destination right and bottom edges", 10, 10, 4, 4, 0, 9, 0, 9, 1, 1, true, 0, 2, 0, 2, 1, 1},
        {"destination x at its width", 10, 10, 4, 4, 0, 9, 0, 9, 4, 0, false, 0, 0, 0, 0, 0, 0},
        {"destination y past its height", 10, 10, 4, 4, 0, 9, 0, 9, 0, 7, false, 0, 0, 0, 0, 0, 0},
        {"left beyond right", 10, 10, 20, 20, 6, 5, 0, 9, 0, 0, false, 0, 0, 0, 0, 0, 0},
        {"left beyond the source", 10, 10, 20, 20, 10, 12, 0, 9, 0, 0, false, 0, 0, 0, 0, 0, 0},
        {"widest bounds", 10, 10, 20, 20, INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX, 0, 0, true, 0, 9, 0, 9, 0, 0},
        {"largest destination position", 10, 10, 20, 20, INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX, INT32_MAX,
         INT32_MAX, false, 0, 0, 0, 0, 0, 0},
    };
    for (const RegionCase& c : cases) {
        BmpImage source;
        MakePattern(source, c.sourceWidth, c.sourceHeight);
        BmpImage destination;
        MakeMarked(destination, c.destinationWidth, c.destinationHeight);
        CopyRegion(source, c.left, c.right, c.bottom, c.top, destination, c.dx, c.dy);
        ExpectRegion(destination, c);
    }
}

TEST(CopyingTest, CopyRegionAboveOrLeftOfTheDestinationKeepsThePixelCopiedLast) {
    BmpImage source;
    MakePattern(source, 10, 10);
    BmpImage destination;
    MakeMarked(destination, 10, 10);
    // Positions -2, -1 and 0 all resolve to column 0; source column 2 is copied there last.
    CopyRegion(source, 0, 3, 0, 0, destination, -2, 0);
    EXPECT_EQ(destination.PixelAt(0, 0), PatternPixel(2, 0));
    EXPECT_EQ(destination.PixelAt(1, 0), PatternPixel(3, 0));
    EXPECT_EQ(destination.PixelAt(2, 0), Marker);

    BmpImage corner;
    MakeMarked(corner, 10, 10);
    CopyRegion(source, 0, 9, 0, 9, corner, INT32_MIN, INT32_MIN);
    EXPECT_EQ(corner.PixelAt(0, 0), PatternPixel(9, 9));
    EXPECT_EQ(corner.PixelAt(1, 0), Marker);
    EXPECT_EQ(corner.PixelAt(0, 1), Marker);
}

TEST(CopyingTest, CopyRegionOntoItselfGoesPixelByPixel) {
    // Lines of six pixels; `want` gives, for each position along the line, the original position
    // whose colour it holds afterwards.
    struct Case {
        const char* name;
        int32_t width, height, left, right, bottom, top, dx, dy;
        std::array<int32_t, 6> want;
    };
    const Case cases[] = {
        {"right by one repeats the first pixel", 6, 1, 0, 3, 0, 0, 1, 0, {0, 0, 0, 0, 0, 5}},
        {"left by one moves the block", 6, 1, 1, 4, 0, 0, 0, 0, {1, 2, 3, 4, 4, 5}},
        {"down by one repeats the first row", 1, 6, 0, 0, 0, 2, 0, 1, {0, 0, 0, 0, 4, 5}},
        {"right by two repeats a pair", 6, 1, 0, 3, 0, 0, 2, 0, {0, 1, 0, 1, 0, 1}},
    };
    for (const Case& c : cases) {
        BmpImage image;
        MakePattern(image, c.width, c.height);
        CopyRegion(image, c.left, c.right, c.bottom, c.top, image, c.dx, c.dy);
        for (int32_t i = 0; i < 6; ++i) {
            const int32_t x = c.width == 1 ? 0 : i;
            const int32_t y = c.width == 1 ? i : 0;
            const BmpPixel want = c.width == 1 ? PatternPixel(0, c.want[i]) : PatternPixel(c.want[i], 0);
            EXPECT_EQ(image.PixelAt(x, y), want) << c.name << ": at " << i << " have " << image.PixelAt(x, y)
                                                 << ", want " << want;
        }
    }
}

TEST(CopyingTest, CopyRegionUnlessKeySkipsTheKeyColourAndClipsTheSame) {
    BmpImage source;
    MakePattern(source, 6, 6);
    const BmpPixel key{200, 100, 50, 0};
    source.PutPixel(1, 1, BmpPixel{200, 100, 50, 99});  // the key's colour with another alpha
    source.PutPixel(3, 2, key);
    BmpImage destination;
    MakeMarked(destination, 5, 5);
    CopyRegionUnlessKey(source, -2, 5, 4, 0, destination, 1, 0, key);
    // Columns 0..5 and rows 0..4 would land at (1, 0); the destination's right edge cuts them to 0..3.
    for (int32_t x = 0; x < 5; ++x) {
        for (int32_t y = 0; y < 5; ++y) {
            const bool skipped = x == 0 || (x == 2 && y == 1) || (x == 4 && y == 2);
            const BmpPixel want = skipped ? Marker : PatternPixel(x - 1, y);
            EXPECT_EQ(destination.PixelAt(x, y), want)
                << "at (" << x << ", " << y << ") have " << destination.PixelAt(x, y) << ", want " << want;
        }
    }
}

}  // namespace
}  // namespace rastero
