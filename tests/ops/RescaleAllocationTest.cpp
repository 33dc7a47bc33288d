#include <gtest/gtest.h>

#include <climits>

#include "ops/Rescale.h"
#include "tests/AllocationProbe.h"
#include "tests/TestSupport.h"

namespace rastero {
namespace {

// An 8-bit pattern image with one palette entry changed and no resolution set.
void MakeSource(BmpImage& image, int32_t width, int32_t height) {
    ASSERT_TRUE(image.SetDepth(8));
    ASSERT_TRUE(image.Resize(width, height));
    FillPattern(image);
    image.SetPaletteColor(5, BmpPixel{1, 2, 3, 4});
}

void ExpectUnchanged(const BmpImage& image, int32_t width, int32_t height, const char* name) {
    ASSERT_TRUE(image.GetWidth() == width && image.GetHeight() == height)
        << name << ": have " << image.GetWidth() << " x " << image.GetHeight() << ", want " << width << " x " << height;
    EXPECT_EQ(image.GetDepth(), 8) << name;
    EXPECT_EQ(image.PaletteColor(5), (BmpPixel{1, 2, 3, 4})) << name;
    for (int32_t x = 0; x < width; ++x)
        for (int32_t y = 0; y < height; ++y) ASSERT_EQ(image.PixelAt(x, y), PatternPixel(x, y)) << name;
}

TEST(RescaleAllocationTest, RefusalsAllocateNothing) {
    struct Case { const char* name; char mode; int32_t size; };
    const Case cases[] = {
        {"unknown mode", 'x', 50},
        {"percentage beyond the pixel limit", 'P', INT32_MAX},
        {"width beyond the pixel limit", 'W', 1 << 28},
    };
    for (const Case& c : cases) {
        BmpImage image;
        MakeSource(image, 64, 64);
        bool ok = true;
        std::size_t allocations = 0;
        {
            AllocationProbe probe;
            ok = RescaleImage(image, c.mode, c.size);
            allocations = probe.Count();
        }
        EXPECT_FALSE(ok) << c.name;
        EXPECT_EQ(allocations, 0u) << c.name << ": have " << allocations << " allocations, want 0";
        ExpectUnchanged(image, 64, 64, c.name);
        EXPECT_EQ(image.GetXPixelsPerMeter(), 3780) << c.name;
    }

    BmpImage image;
    MakeSource(image, 64, 64);
    AllocationProbe probe;
    ASSERT_TRUE(RescaleImage(image, 'P', 50));
    EXPECT_GT(probe.Count(), 0u) << "the probe must see the allocations of a rescale that goes ahead";
}

TEST(RescaleAllocationTest, CopyWithoutStorageIsStillAValidImage) {
    struct Case {
        const char* name;
        int32_t width, height;
        std::size_t failFrom;
        int32_t wantWidth, wantHeight, wantDepth;
    };
    const Case cases[] = {
        // A 100 x 100 store is 40000 bytes; the 8-bit palette is 1024.
        {"no pixel storage", 100, 100, 40000, 1, 1, 8},
        {"no palette", 10, 10, 1024, 10, 10, 24},
    };
    for (const Case& c : cases) {
        BmpImage source;
        MakeSource(source, c.width, c.height);
        source.SetPixelsPerMeter(2835, 2835);
        std::unique_ptr<BmpImage> copy;
        {
            AllocationProbe probe(c.failFrom);
            copy.reset(new (std::nothrow) BmpImage(source));
        }
        ASSERT_TRUE(copy) << c.name;
        EXPECT_TRUE(copy->GetWidth() == c.wantWidth && copy->GetHeight() == c.wantHeight)
            << c.name << ": have " << copy->GetWidth() << " x " << copy->GetHeight() << ", want " << c.wantWidth
            << " x " << c.wantHeight;
        EXPECT_EQ(copy->GetDepth(), c.wantDepth) << c.name;
        EXPECT_EQ(copy->HasPalette(), c.wantDepth == 8) << c.name;
        if (copy->HasPalette()) {
            EXPECT_EQ(copy->PaletteColor(5), (BmpPixel{1, 2, 3, 4})) << c.name;
        }
        const BmpPixel want = c.wantWidth == c.width ? PatternPixel(c.width - 1, c.height - 1) : WhitePixel;
        EXPECT_EQ(copy->PixelAt(c.width - 1, c.height - 1), want) << c.name;
        EXPECT_EQ(copy->GetXPixelsPerMeter(), 2834) << c.name;
        EXPECT_TRUE(copy->Resize(3, 3)) << c.name << ": the copy must stay usable";
    }
}

TEST(RescaleAllocationTest, RescaleWithoutStorageChangesNothing) {
    struct Case { const char* name; int32_t width, height; char mode; int32_t size; std::size_t failFrom; };
    const Case cases[] = {
        // 40000 bytes are 100 x 100 pixels: the working copy of the first, the result of the second.
        {"no working copy", 100, 100, 'P', 50, 40000},
        {"no new pixels", 10, 10, 'P', 1000, 40000},
    };
    for (const Case& c : cases) {
        BmpImage image;
        MakeSource(image, c.width, c.height);
        bool ok = true;
        {
            AllocationProbe probe(c.failFrom);
            ok = RescaleImage(image, c.mode, c.size);
        }
        EXPECT_FALSE(ok) << c.name;
        ExpectUnchanged(image, c.width, c.height, c.name);
    }
}

}  // namespace
}  // namespace rastero
