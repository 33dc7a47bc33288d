#include <gtest/gtest.h>

#include <climits>

#include "ops/Pixelate.h"
#include "tests/TestSupport.h"

namespace rastero {
namespace {

// The mosaic exactly as described, one block after another, with writes outside the image
// dropped. Only usable for rectangles a few blocks across.
void NaivePixelate(BmpImage& image, int64_t left, int64_t top, int64_t right, int64_t bottom,
                   int64_t stride = 20) {
    for (int64_t y = top; y < bottom; y += stride) {
        for (int64_t x = left; x < right; x += stride) {
            const BmpPixel sample = image.PixelAt(static_cast<int32_t>(x + 1), static_cast<int32_t>(y + 1));
            for (int64_t i = 0; i <= stride; ++i)
                for (int64_t j = 0; j <= stride; ++j)
                    image.PutPixel(static_cast<int32_t>(x + i), static_cast<int32_t>(y + j), sample);
        }
    }
}

BmpImage* PatternImage(int32_t width, int32_t height) {
    auto* image = new BmpImage;
    EXPECT_TRUE(image->Resize(width, height));
    FillPattern(*image);
    return image;
}

void ExpectSamePixels(const BmpImage& have, const BmpImage& want, const char* name) {
    ASSERT_EQ(have.GetWidth(), want.GetWidth());
    ASSERT_EQ(have.GetHeight(), want.GetHeight());
    int mismatches = 0;
    for (int32_t x = 0; x < want.GetWidth(); ++x)
        for (int32_t y = 0; y < want.GetHeight(); ++y)
            if (have.PixelAt(x, y) != want.PixelAt(x, y) && ++mismatches <= 3)
                ADD_FAILURE() << name << ": pixel (" << x << ", " << y << ") have " << have.PixelAt(x, y)
                              << ", want " << want.PixelAt(x, y);
    EXPECT_EQ(mismatches, 0) << name;
}

// Checks that pixels in columns [x0, x1] and rows [y0, y1] all hold `color`.
void ExpectBlock(const BmpImage& image, int32_t x0, int32_t x1, int32_t y0, int32_t y1, const BmpPixel& color) {
    for (int32_t x = x0; x <= x1; ++x)
        for (int32_t y = y0; y <= y1; ++y)
            ASSERT_EQ(image.PixelAt(x, y), color) << "at (" << x << ", " << y << ")";
}

TEST(PixelateTest, OneBlockCoversTwentyOneSquare) {
    std::unique_ptr<BmpImage> image(PatternImage(30, 30));
    PixelateBlocks(*image, 0, 0, 20, 20);
    ExpectBlock(*image, 0, 20, 0, 20, PatternPixel(1, 1));
    EXPECT_EQ(image->PixelAt(21, 5), PatternPixel(21, 5));
    EXPECT_EQ(image->PixelAt(5, 21), PatternPixel(5, 21));
    EXPECT_NE(PatternPixel(1, 1).alpha, 0) << "the sample's alpha must be distinctive";
}

TEST(PixelateTest, LaterBlocksWinTheSharedColumnAndRow) {
    std::unique_ptr<BmpImage> image(PatternImage(45, 45));
    const std::unique_ptr<BmpImage> before(PatternImage(45, 45));
    PixelateBlocks(*image, 0, 0, 21, 21);
    ExpectBlock(*image, 0, 19, 0, 19, before->PixelAt(1, 1));
    ExpectBlock(*image, 20, 40, 0, 19, before->PixelAt(21, 1));
    ExpectBlock(*image, 0, 19, 20, 40, before->PixelAt(1, 21));
    ExpectBlock(*image, 20, 40, 20, 40, before->PixelAt(21, 21));
    EXPECT_EQ(image->PixelAt(41, 41), before->PixelAt(41, 41));

    std::unique_ptr<BmpImage> single(PatternImage(41, 61));
    PixelateBlocks(*single, 20, 40, 30, 50);
    ExpectBlock(*single, 20, 40, 40, 60, PatternPixel(21, 41));
    EXPECT_EQ(single->PixelAt(19, 40), PatternPixel(19, 40));
    EXPECT_EQ(single->PixelAt(20, 39), PatternPixel(20, 39));
}

TEST(PixelateTest, MatchesTheBlockByBlockMosaicForAnyRectangle) {
    struct Case { const char* name; int32_t left, top, right, bottom; };
    const Case cases[] = {
        {"empty width", 10, 10, 10, 50},
        {"empty height", 10, 10, 50, 9},
        {"inside", 3, 4, 40, 30},
        {"over the left edge", -7, 5, 30, 30},
        {"over the top edge", 5, -33, 30, 30},
        {"over the right edge", 40, 5, 90, 30},
        {"over the bottom edge", 5, 40, 30, 95},
        {"larger than the image", -45, -61, 130, 140},
        {"entirely left", -100, 0, -21, 50},
        {"just touching from the left", -40, 0, -19, 50},
        {"entirely below", 0, 70, 50, 200},
        {"entirely right", 64, 0, 200, 50},
        {"negative everything", -90, -90, -5, -5},
        {"blocks starting on the last column and row", 3, 7, 64, 48},
        {"one block on the bottom-right pixel", 63, 47, 64, 48},
    };
    for (const Case& c : cases) {
        std::unique_ptr<BmpImage> have(PatternImage(64, 48));
        std::unique_ptr<BmpImage> want(PatternImage(64, 48));
        PixelateBlocks(*have, c.left, c.top, c.right, c.bottom);
        NaivePixelate(*want, c.left, c.top, c.right, c.bottom);
        ExpectSamePixels(*have, *want, c.name);
    }
}

TEST(PixelateTest, ExtremeRectanglesCostOnlyTheirAreaInside) {
    struct Case { const char* name; int32_t left, top, right, bottom; int64_t nearLeft, nearTop; };
    // INT32_MIN is 8 below a multiple of 20, so its blocks meet the image at -8, 12, 32, ...
    const Case cases[] = {
        {"whole 32-bit plane", INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, -8, -8},
        {"from far left", INT32_MIN, 0, 64, 64, -8, 0},
        {"to far right", 0, 0, INT32_MAX, 30, 0, 0},
        {"from far above, ending above", 0, INT32_MIN, 64, -21, 0, 0},
    };
    for (const Case& c : cases) {
        std::unique_ptr<BmpImage> have(PatternImage(64, 64));
        std::unique_ptr<BmpImage> want(PatternImage(64, 64));
        PixelateBlocks(*have, c.left, c.top, c.right, c.bottom);
        NaivePixelate(*want, std::max<int64_t>(c.left, c.nearLeft), std::max<int64_t>(c.top, c.nearTop),
                      std::min<int64_t>(c.right, 64), std::min<int64_t>(c.bottom, 64));
        ExpectSamePixels(*have, *want, c.name);
    }
    std::unique_ptr<BmpImage> image(PatternImage(64, 64));
    PixelateBlocks(*image, INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN);
    PixelateBlocks(*image, INT32_MAX - 1, INT32_MAX - 1, INT32_MAX, INT32_MAX);
    std::unique_ptr<BmpImage> untouched(PatternImage(64, 64));
    ExpectSamePixels(*image, *untouched, "rectangles with no block inside");
}

TEST(PixelateTest, OtherStrides) {
    struct Case { const char* name; int32_t left, top, right, bottom, stride; };
    const Case cases[] = {
        {"stride 1", 2, 3, 9, 8, 1},
        {"stride 7 over the edges", -5, -9, 70, 60, 7},
        {"stride larger than the image", -3, -3, 5, 5, 1000},
        {"stride 3 ending on the last column and row", -2, -2, 40, 30, 3},
    };
    for (const Case& c : cases) {
        std::unique_ptr<BmpImage> have(PatternImage(40, 30));
        std::unique_ptr<BmpImage> want(PatternImage(40, 30));
        PixelateBlocksWithStride(*have, c.left, c.top, c.right, c.bottom, c.stride);
        NaivePixelate(*want, c.left, c.top, c.right, c.bottom, c.stride);
        ExpectSamePixels(*have, *want, c.name);
    }
    // Rows of blocks split over several bands, and more blocks in one row than a band holds.
    std::unique_ptr<BmpImage> banded(PatternImage(100, 100));
    std::unique_ptr<BmpImage> bandedWant(PatternImage(100, 100));
    PixelateBlocksWithStride(*banded, -1, -1, 100, 100, 1);
    NaivePixelate(*bandedWant, -1, -1, 100, 100, 1);
    ExpectSamePixels(*banded, *bandedWant, "stride 1 over several bands");

    std::unique_ptr<BmpImage> wide(PatternImage(5000, 4));
    std::unique_ptr<BmpImage> wideWant(PatternImage(5000, 4));
    PixelateBlocksWithStride(*wide, -1, -1, 5000, 4, 1);
    NaivePixelate(*wideWant, -1, -1, 5000, 4, 1);
    ExpectSamePixels(*wide, *wideWant, "stride 1 across 5000 columns");

    std::unique_ptr<BmpImage> huge(PatternImage(40, 30));
    PixelateBlocksWithStride(*huge, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MAX);
    PixelateBlocksWithStride(*huge, 0, 0, 10, 10, 0);
    PixelateBlocksWithStride(*huge, 0, 0, 10, 10, -4);
}

TEST(PixelateTest, KeepsDepthPaletteAndResolution) {
    BmpImage image;
    ASSERT_TRUE(image.SetDepth(8));
    ASSERT_TRUE(image.Resize(30, 30));
    image.SetPaletteColor(3, BmpPixel{1, 2, 3, 4});
    image.SetPixelsPerMeter(11, 22);
    PixelateBlocks(image, 0, 0, 30, 30);
    EXPECT_EQ(image.GetDepth(), 8);
    EXPECT_EQ(image.PaletteColor(3), (BmpPixel{1, 2, 3, 4}));
    EXPECT_EQ(image.GetXPixelsPerMeter(), 11);
    EXPECT_EQ(image.GetYPixelsPerMeter(), 22);
}

}  // namespace
}  // namespace rastero
