#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "tests/bmpfile/LoadExpectation.h"

namespace rastero {
namespace {

enum class Outcome { Accepted, Fallback, Untouched };
// A fallback either carries the file's resolution or keeps the one the image had.
enum class Resolution { FromFile, AsBefore };

constexpr int32_t Full = -1;
constexpr size_t WholeFile = SIZE_MAX;

struct LoadCase {
    std::string name;
    int32_t width, height, depth;
    std::function<void(BmpFixture&)> patch;
    size_t cutAt;
    Outcome outcome;
    Resolution resolution;
    // For accepted files; Full means as the fixture lays them out.
    int32_t paletteRead = Full;
    size_t paletteAt = BmpHeadersSize;
    size_t rowsAt = 0;
};

void NoPatch(BmpFixture&) {}

std::function<void(BmpFixture&)> OffBits(uint32_t offBits) {
    return [offBits](BmpFixture& f) { f.fileHeader.bfOffBits = offBits; };
}

// The image every load starts from, so that an untouched image shows.
void Prepare(BmpImage& image) {
    ASSERT_TRUE(image.Resize(3, 2));
    FillPattern(image);
    image.SetPixelsPerMeter(111, 222);
}

ImageState WantFor(const LoadCase& c, const Bytes& bytes, const ImageState& before) {
    switch (c.outcome) {
        case Outcome::Untouched: return before;
        case Outcome::Fallback:
            return c.resolution == Resolution::FromFile ? FallbackState(2835, 1417) : FallbackState(111, 222);
        case Outcome::Accepted: break;
    }
    Offsets at{c.paletteRead, c.paletteAt, c.rowsAt};
    if (c.paletteRead == Full) at.paletteRead = c.depth <= 8 ? 1 << c.depth : 0;
    if (c.rowsAt == 0) at.rowsAt = Little32(bytes, 10);
    return AcceptedState(bytes, at);
}

void RunLoadCases(const std::vector<LoadCase>& cases) {
    TempFolder folder;
    for (const LoadCase& c : cases) {
        BmpFixture fixture = MakeFixture(c.width, c.height, c.depth);
        c.patch(fixture);
        Bytes bytes = fixture.FileBytes();
        if (c.cutAt < bytes.size()) bytes.resize(c.cutAt);
        const std::string path = folder.File("case.bmp");
        WriteFileBytes(path, bytes);
        BmpImage image;
        Prepare(image);
        const ImageState before = StateOf(image);
        const bool loaded = image.LoadFile(path.c_str());
        EXPECT_EQ(loaded, c.outcome == Outcome::Accepted) << c.name << ": have " << loaded;
        ExpectState(StateOf(image), WantFor(c, bytes, before), c.name);
    }
}

TEST(ReaderTest, EveryDepthAndRowPaddingResidue) {
    std::vector<LoadCase> cases;
    for (int32_t depth : {1, 4, 8, 16, 24, 32}) {
        for (int32_t width = 1; width <= 40; ++width) {
            cases.push_back({std::to_string(depth) + " bits, width " + std::to_string(width), width, 3, depth,
                             NoPatch, WholeFile, Outcome::Accepted, Resolution::FromFile});
        }
    }
    RunLoadCases(cases);
}

TEST(ReaderTest, PaletteLengthAndSkipComeFromThePixelOffset) {
    RunLoadCases({
        {"8 bits, offset below 54: no entry, rows right after the header", 5, 3, 8,
         [](BmpFixture& f) { f.table.clear(); f.fileHeader.bfOffBits = 50; }, WholeFile, Outcome::Accepted,
         Resolution::FromFile, 0, 54, 54},
        {"8 bits, 54 + 42: ten entries, rows from byte 94", 5, 3, 8,
         [](BmpFixture& f) { f.table.resize(42); f.fileHeader.bfOffBits = 54 + 42; }, WholeFile,
         Outcome::Accepted, Resolution::FromFile, 10, 54, 94},
        {"8 bits, 54 + 64: sixteen entries, the rest white", 5, 3, 8,
         [](BmpFixture& f) { f.table.resize(64); f.fileHeader.bfOffBits = 54 + 64; }, WholeFile,
         Outcome::Accepted, Resolution::FromFile, 16, 54, 118},
        {"4 bits, 54 + 80: sixteen entries read, sixteen bytes skipped", 7, 3, 4,
         [](BmpFixture& f) { f.table.resize(80, 0x5A); f.fileHeader.bfOffBits = 54 + 80; }, WholeFile,
         Outcome::Accepted, Resolution::FromFile, 16, 54, 134},
        {"24 bits, 54 + 1024: the colour table is skipped", 5, 3, 24,
         [](BmpFixture& f) { f.table.assign(1024, 0x77); f.fileHeader.bfOffBits = 54 + 1024; }, WholeFile,
         Outcome::Accepted, Resolution::FromFile, 0, 54, 1078},
        {"16 bits, bitfields and 8 more bytes skipped after the masks", 5, 3, 16,
         [](BmpFixture& f) {
             f.info.biCompression = BI_BITFIELDS;
             f.table = {0x00, 0x7C, 0, 0, 0xE0, 0x03, 0, 0, 0x1F, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8};
             f.fileHeader.bfOffBits = 54 + 20;
         },
         WholeFile, Outcome::Accepted, Resolution::FromFile, 0, 54, 74},
        {"24 bits, offset 2^31 - 1: everything skipped, all white", 5, 3, 24, OffBits(0x7FFFFFFF), WholeFile,
         Outcome::Accepted, Resolution::FromFile, 0, 54, SIZE_MAX / 2},
        {"8 bits, offset 2^31 - 1: full palette, rows skipped away", 5, 3, 8, OffBits(0x7FFFFFFF), WholeFile,
         Outcome::Accepted, Resolution::FromFile, 256, 54, SIZE_MAX / 2},
        {"8 bits, offset 0x80000036 is negative: nothing read or skipped", 5, 3, 8,
         [](BmpFixture& f) { f.table.clear(); f.fileHeader.bfOffBits = 0x80000036; }, WholeFile,
         Outcome::Accepted, Resolution::FromFile, 0, 54, 54},
        {"8 bits, offset 0xFFFFFFFF is -55: nothing read or skipped", 5, 3, 8,
         [](BmpFixture& f) { f.table.clear(); f.fileHeader.bfOffBits = 0xFFFFFFFF; }, WholeFile,
         Outcome::Accepted, Resolution::FromFile, 0, 54, 54},
    });
}

// Current editors write 108- and 124-byte info headers; their palettes start after them.
TEST(ReaderTest, LargerInfoHeadersAtPaletteDepths) {
    const auto larger = [](uint32_t size, size_t entries) {
        return [size, entries](BmpFixture& f) {
            f.info.biSize = size;
            f.table.resize(entries * 4);
            f.table.insert(f.table.begin(), size - 40, 0xEE);
            f.Settle();
        };
    };
    RunLoadCases({
        {"8 bits, 108-byte header, 256 entries", 6, 3, 8, larger(108, 256), WholeFile, Outcome::Accepted,
         Resolution::FromFile, 256, 122, 122 + 1024},
        {"4 bits, 124-byte header, 16 entries", 6, 3, 4, larger(124, 16), WholeFile, Outcome::Accepted,
         Resolution::FromFile, 16, 138, 138 + 64},
        {"1 bit, 64-byte header, 2 entries", 9, 3, 1, larger(64, 2), WholeFile, Outcome::Accepted,
         Resolution::FromFile, 2, 78, 86},
        {"8 bits, 108-byte header with 100 entries: the rest white", 6, 3, 8, larger(108, 100), WholeFile,
         Outcome::Accepted, Resolution::FromFile, 100, 122, 122 + 400},
        {"8 bits, header size past the pixel offset: read as a 40-byte header", 6, 3, 8,
         [](BmpFixture& f) { f.info.biSize = 2000; }, WholeFile, Outcome::Accepted, Resolution::FromFile},
        {"8 bits, header size with the top bit set: read as a 40-byte header", 6, 3, 8,
         [](BmpFixture& f) { f.info.biSize = 0x80000028; }, WholeFile, Outcome::Accepted,
         Resolution::FromFile},
        {"24 bits, 124-byte header: rows reached through the pixel offset", 6, 3, 24,
         [](BmpFixture& f) { f.info.biSize = 124; f.table.assign(84, 0xEE); f.Settle(); }, WholeFile,
         Outcome::Accepted, Resolution::FromFile},
    });
}

TEST(ReaderTest, FilesCutShort) {
    RunLoadCases({
        {"empty file", 4, 3, 24, NoPatch, 0, Outcome::Fallback, Resolution::AsBefore},
        {"only the signature", 4, 3, 24, NoPatch, 2, Outcome::Fallback, Resolution::AsBefore},
        {"cut at 30, inside the info header", 4, 3, 24, NoPatch, 30, Outcome::Fallback, Resolution::AsBefore},
        {"cut at 53, one byte short of the headers", 4, 3, 24, NoPatch, 53, Outcome::Fallback,
         Resolution::AsBefore},
        {"cut at 54: headers only, all white", 4, 3, 24, NoPatch, 54, Outcome::Accepted, Resolution::FromFile},
        {"8 bits cut inside entry 10: later entries keep their standard colours", 4, 3, 8, NoPatch,
         54 + 4 * 10 + 2, Outcome::Accepted, Resolution::FromFile},
        {"1 bit cut inside the second entry", 4, 3, 1, NoPatch, 54 + 4 + 3, Outcome::Accepted,
         Resolution::FromFile},
        {"16 bits cut inside the green mask: its high byte and blue keep the defaults, words 0", 4, 3, 16,
         [](BmpFixture& f) { f = MakeFixture(4, 3, 16, true); }, 54 + 5, Outcome::Accepted,
         Resolution::FromFile},
        {"24 bits one byte short of the last row: the top row white", 5, 4, 24, NoPatch, 54 + 16 * 4 - 1,
         Outcome::Accepted, Resolution::FromFile},
        {"4 bits one byte short of the last row", 9, 4, 4, NoPatch, 54 + 64 + 8 * 4 - 1, Outcome::Accepted,
         Resolution::FromFile},
        {"32 bits cut inside the first row: all white", 3, 2, 32, NoPatch, 54 + 5, Outcome::Accepted,
         Resolution::FromFile},
        {"16 bits cut inside a word: its low byte arrives, the word repeats", 3, 3, 16, NoPatch, 54 + 8 + 3,
         Outcome::Accepted, Resolution::FromFile},
        {"16 bits cut inside the fill of a row", 3, 3, 16, NoPatch, 54 + 8 + 7, Outcome::Accepted,
         Resolution::FromFile},
        {"16 bits cut inside the first word: its high byte starts at 0", 3, 3, 16, NoPatch, 54 + 1,
         Outcome::Accepted, Resolution::FromFile},
    });
}

TEST(ReaderTest, RefusedHeaders) {
    const auto info = [](std::function<void(BmpInfoHeader&)> change) {
        return [change](BmpFixture& f) { change(f.info); };
    };
    RunLoadCases({
        {"wrong signature", 4, 3, 24, [](BmpFixture& f) { f.fileHeader.bfType = 0x4142; }, WholeFile,
         Outcome::Untouched, Resolution::AsBefore},
        {"compression 1 (RLE8)", 4, 3, 8, info([](BmpInfoHeader& h) { h.biCompression = BI_RLE8; }), WholeFile,
         Outcome::Fallback, Resolution::FromFile},
        {"compression 2 (RLE4)", 4, 3, 4, info([](BmpInfoHeader& h) { h.biCompression = BI_RLE4; }), WholeFile,
         Outcome::Fallback, Resolution::FromFile},
        {"compression 4", 4, 3, 24, info([](BmpInfoHeader& h) { h.biCompression = 4; }), WholeFile,
         Outcome::Fallback, Resolution::FromFile},
        {"compression 0x80000000", 4, 3, 24, info([](BmpInfoHeader& h) { h.biCompression = 0x80000000; }),
         WholeFile, Outcome::Fallback, Resolution::FromFile},
        {"bitfields at 24 bits", 4, 3, 24, info([](BmpInfoHeader& h) { h.biCompression = BI_BITFIELDS; }),
         WholeFile, Outcome::Fallback, Resolution::FromFile},
        {"bitfields at 32 bits", 4, 3, 32, info([](BmpInfoHeader& h) { h.biCompression = BI_BITFIELDS; }),
         WholeFile, Outcome::Fallback, Resolution::FromFile},
        {"bitfields at 8 bits", 4, 3, 8, info([](BmpInfoHeader& h) { h.biCompression = BI_BITFIELDS; }),
         WholeFile, Outcome::Fallback, Resolution::FromFile},
        {"bit count 0", 4, 3, 24, info([](BmpInfoHeader& h) { h.biBitCount = 0; }), WholeFile,
         Outcome::Fallback, Resolution::FromFile},
        {"bit count 2", 4, 3, 24, info([](BmpInfoHeader& h) { h.biBitCount = 2; }), WholeFile,
         Outcome::Fallback, Resolution::FromFile},
        {"bit count 64", 4, 3, 24, info([](BmpInfoHeader& h) { h.biBitCount = 64; }), WholeFile,
         Outcome::Fallback, Resolution::FromFile},
        {"width 0", 4, 3, 24, info([](BmpInfoHeader& h) { h.biWidth = 0; }), WholeFile, Outcome::Fallback,
         Resolution::FromFile},
        {"height 0", 4, 3, 24, info([](BmpInfoHeader& h) { h.biHeight = 0; }), WholeFile, Outcome::Fallback,
         Resolution::FromFile},
        {"negative width", 4, 3, 24, info([](BmpInfoHeader& h) { h.biWidth = -4; }), WholeFile,
         Outcome::Fallback, Resolution::FromFile},
        {"top-down file", 4, 3, 8, info([](BmpInfoHeader& h) { h.biHeight = -3; }), WholeFile,
         Outcome::Fallback, Resolution::FromFile},
        {"width INT32_MIN", 4, 3, 24, info([](BmpInfoHeader& h) { h.biWidth = INT32_MIN; }), WholeFile,
         Outcome::Fallback, Resolution::FromFile},
        {"height INT32_MIN", 4, 3, 24, info([](BmpInfoHeader& h) { h.biHeight = INT32_MIN; }), WholeFile,
         Outcome::Fallback, Resolution::FromFile},
        {"3000000 x 2000000 pixels: over the pixel limit", 4, 3, 24,
         info([](BmpInfoHeader& h) { h.biWidth = 3000000; h.biHeight = 2000000; }), WholeFile,
         Outcome::Fallback, Resolution::FromFile},
        {"width x 32 bits past 2^31 - 1, within the pixel limit", 4, 3, 32,
         info([](BmpInfoHeader& h) { h.biWidth = 1 << 26; h.biHeight = 1; }), WholeFile, Outcome::Fallback,
         Resolution::FromFile},
        {"width INT32_MAX at 1 bit", 4, 3, 1, info([](BmpInfoHeader& h) { h.biWidth = INT32_MAX; }), WholeFile,
         Outcome::Fallback, Resolution::FromFile},
    });
}

TEST(ReaderTest, AcceptedOddFields) {
    RunLoadCases({
        {"bitfields at 16 bits with 5-6-5 masks", 5, 3, 16, [](BmpFixture& f) { f = MakeFixture(5, 3, 16, true); },
         WholeFile, Outcome::Accepted, Resolution::FromFile, 0, 54, 66},
        {"16 bits with zero masks: black", 5, 3, 16,
         [](BmpFixture& f) {
             f = MakeFixture(5, 3, 16, true);
             std::fill(f.table.begin(), f.table.end(), 0);
         },
         WholeFile, Outcome::Accepted, Resolution::FromFile, 0, 54, 66},
        {"negative resolution is kept", 5, 3, 24,
         [](BmpFixture& f) { f.info.biXPelsPerMeter = -5; f.info.biYPelsPerMeter = INT32_MIN; }, WholeFile,
         Outcome::Accepted, Resolution::FromFile},
        {"fields the reader ignores hold nonsense", 5, 3, 8,
         [](BmpFixture& f) {
             f.fileHeader.bfSize = 1;
             f.fileHeader.bfReserved1 = 0xFFFF;
             f.info.biPlanes = 9;
             f.info.biSizeImage = 0xFFFFFFFF;
             f.info.biClrUsed = 3;
             f.info.biClrImportant = 1000;
         },
         WholeFile, Outcome::Accepted, Resolution::FromFile},
    });
}

// Files larger than one block read, cut inside a later block.
TEST(ReaderTest, FilesOfSeveralBlocks) {
    std::vector<LoadCase> cases;
    for (int32_t depth : {1, 8, 16, 24, 32}) {
        const size_t tableBytes = depth <= 8 ? size_t{4} << depth : 0;
        const size_t rowBytes = static_cast<size_t>(RowStride(1500, depth)) * 1400;
        const std::string name = std::to_string(depth) + " bits";
        cases.push_back({name + ", whole", 1500, 1400, depth, NoPatch, WholeFile, Outcome::Accepted,
                         Resolution::FromFile});
        cases.push_back({name + ", cut in a later block", 1500, 1400, depth, NoPatch,
                         54 + tableBytes + rowBytes - 4097, Outcome::Accepted, Resolution::FromFile});
    }
    // The word cut in half at the start of a block keeps the high byte of the block before.
    const int64_t stride = RowStride(1500, 16);
    cases.push_back({"16 bits, cut one byte into the second block", 1500, 1400, 16, NoPatch,
                     static_cast<size_t>(54 + RowsPerBlock(stride, 1400) * stride + 1), Outcome::Accepted,
                     Resolution::FromFile});
    RunLoadCases(cases);
}

TEST(ReaderTest, FileThatCannotBeOpenedLeavesTheFallbackAndKeepsTheResolution) {
    BmpImage image;
    Prepare(image);
    EXPECT_FALSE(image.LoadFile("/nonexistent-folder/none.bmp"));
    ExpectState(StateOf(image), FallbackState(111, 222), "missing file");
}

TEST(ReaderTest, SixteenBitChannels) {
    struct Case {
        const char* name;
        uint16_t word;
        BmpPixel want;
    };
    const Case cases[] = {
        {"fifteen low bits set", 0x7FFF, BmpPixel{248, 248, 248, 0}},
        {"red only", 0x7C00, BmpPixel{0, 0, 248, 0}},
        {"bit 15 is ignored", 0x8000, BmpPixel{0, 0, 0, 0}},
        {"one step of each", 0x0421, BmpPixel{8, 8, 8, 0}},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        BmpFixture fixture = MakeFixture(1, 1, 16);
        fixture.rows = {static_cast<uint8_t>(c.word), static_cast<uint8_t>(c.word >> 8), 0xAB, 0xCD};
        WriteFileBytes(folder.File("w.bmp"), fixture.FileBytes());
        BmpImage image;
        ASSERT_TRUE(image.LoadFile(folder.File("w.bmp").c_str())) << c.name;
        EXPECT_EQ(image.PixelAt(0, 0), c.want) << c.name << ": have " << image.PixelAt(0, 0) << ", want " << c.want;
    }
}

TEST(ReaderTest, DecodersTakePlainBytes) {
    BmpImage image;
    ASSERT_TRUE(image.SetDepth(4));
    ASSERT_TRUE(image.Resize(3, 2));
    const uint8_t nibbles[] = {0x9C, 0x7F};
    ASSERT_TRUE(image.DecodeRow4(nibbles, 2, 1));
    EXPECT_EQ(image.PixelAt(0, 1), image.PaletteColor(9));
    EXPECT_EQ(image.PixelAt(1, 1), image.PaletteColor(12));
    EXPECT_EQ(image.PixelAt(2, 1), image.PaletteColor(7));
    EXPECT_EQ(image.PixelAt(0, 0), WhitePixel);

    ASSERT_TRUE(image.SetDepth(1));
    const uint8_t bits[] = {0xA0};
    ASSERT_TRUE(image.DecodeRow1(bits, 1, 0));
    EXPECT_EQ(image.PixelAt(0, 0), image.PaletteColor(1));
    EXPECT_EQ(image.PixelAt(1, 0), image.PaletteColor(0));
    EXPECT_EQ(image.PixelAt(2, 0), image.PaletteColor(1));

    // An index past the palette reads as white.
    const uint8_t indexes[] = {0, 200, 1};
    ASSERT_TRUE(image.DecodeRow8(indexes, 3, 0));
    EXPECT_EQ(image.PixelAt(1, 0), WhitePixel);

    const uint8_t direct[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    image.PutPixel(2, 1, BmpPixel{0, 0, 0, 77});
    ASSERT_TRUE(image.DecodeRow24(direct, 9, 1));
    EXPECT_EQ(image.PixelAt(2, 1), (BmpPixel{7, 8, 9, 77})) << "24 bits keep alpha";
    ASSERT_TRUE(image.DecodeRow32(direct, 12, 1));
    EXPECT_EQ(image.PixelAt(2, 1), (BmpPixel{9, 10, 11, 12}));
}

TEST(ReaderTest, DecodersRefuseShortRowsAndWriteNothing) {
    struct Case {
        const char* name;
        int32_t depth;
        int32_t length;
        bool (BmpImage::*decode)(const uint8_t*, int32_t, int32_t);
    };
    // 9 pixels need 2, 5, 9, 27 and 36 bytes.
    const Case cases[] = {
        {"1 bit", 1, 1, &BmpImage::DecodeRow1},    {"4 bits", 4, 4, &BmpImage::DecodeRow4},
        {"8 bits", 8, 8, &BmpImage::DecodeRow8},   {"24 bits", 24, 26, &BmpImage::DecodeRow24},
        {"32 bits", 32, 35, &BmpImage::DecodeRow32}, {"negative length", 24, -1, &BmpImage::DecodeRow24},
    };
    const uint8_t bytes[64] = {};
    for (const Case& c : cases) {
        BmpImage image;
        ASSERT_TRUE(image.SetDepth(c.depth));
        ASSERT_TRUE(image.Resize(9, 2));
        EXPECT_FALSE((image.*c.decode)(bytes, c.length, 1)) << c.name;
        for (int32_t x = 0; x < 9; ++x) EXPECT_EQ(image.PixelAt(x, 1), WhitePixel) << c.name << " x " << x;
        if (c.length > 0) {
            EXPECT_TRUE((image.*c.decode)(bytes, c.length + 1, 1)) << c.name << ": one byte more is enough";
        }
    }
}

}  // namespace
}  // namespace rastero
