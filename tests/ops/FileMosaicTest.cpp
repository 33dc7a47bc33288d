#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "ops/FileMosaic.h"
#include "ops/Pixelate.h"
#include "tests/bmpfile/BmpFixture.h"

namespace rastero {
namespace {

struct Rect {
    int32_t left, top, right, bottom;
};

// What loading, painting and saving one after another write: the bytes the stream must match.
Bytes InMemoryMosaic(const std::string& input, const std::string& output, const Rect& r, int32_t stride) {
    BmpImage image;
    EXPECT_TRUE(image.LoadFile(input.c_str()));
    PixelateBlocksWithStride(image, r.left, r.top, r.right, r.bottom, stride);
    EXPECT_TRUE(image.SaveFile(output.c_str()));
    return ReadFileBytes(output);
}

// Runs the file mosaic; `streamed` tells whether it took the streaming path.
Bytes FileMosaicBytes(const std::string& input, const std::string& output, const Rect& r, int32_t stride,
                      bool& streamed) {
    FileMosaic mosaic;
    EXPECT_TRUE(mosaic.Open(input.c_str()));
    streamed = mosaic.Streamed();
    EXPECT_TRUE(mosaic.Write(output.c_str(), r.left, r.top, r.right, r.bottom, stride));
    return ReadFileBytes(output);
}

void ExpectSameAsInMemory(const TempFolder& folder, const BmpFixture& fixture, const Rect& r, int32_t stride,
                          bool wantStreamed = true) {
    const std::string input = folder.File("in.bmp");
    WriteFileBytes(input, fixture.FileBytes());
    const Bytes want = InMemoryMosaic(input, folder.File("want.bmp"), r, stride);
    bool streamed = false;
    const Bytes have = FileMosaicBytes(input, folder.File("have.bmp"), r, stride, streamed);
    EXPECT_EQ(streamed, wantStreamed);
    ASSERT_EQ(have.size(), want.size());
    size_t firstDifference = 0;
    while (firstDifference < want.size() && have[firstDifference] == want[firstDifference]) ++firstDifference;
    EXPECT_EQ(firstDifference, want.size()) << "first differing byte";
}

struct Kind {
    int32_t depth;
    bool bitfields;
};

// Every depth, sizes that leave partial bytes and fill, and rectangles that stay inside, cross
// every edge, start blocks on the last column and row (where samples clamp into earlier blocks),
// lie outside or are extreme, at several strides.
TEST(FileMosaicTest, WritesTheBytesOfLoadPixelateSave) {
    const std::vector<Kind> kinds = {{1, false}, {4, false}, {8, false}, {16, false}, {16, true}, {24, false}, {32, false}};
    const std::vector<std::pair<int32_t, int32_t>> sizes = {{1, 1}, {9, 5}, {45, 41}, {61, 23}};
    const std::vector<int32_t> strides = {1, 3, 20};
    TempFolder folder;
    for (const Kind& kind : kinds) {
        for (const auto& [width, height] : sizes) {
            for (const int32_t stride : strides) {
                const std::vector<Rect> rects = {
                    {0, 0, width, height},
                    {2, 3, width / 2 + 1, height / 2 + 2},
                    {-7, -13, 15, 9},
                    {width - 1 - 2 * stride, height - 1 - stride, width, height},
                    {width - 1, height - 1, width + 5, height + 5},
                    {5, 0, 4, height},
                    {width + 3, 0, width + 30, height},
                    {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX},
                };
                for (const Rect& r : rects) {
                    SCOPED_TRACE(testing::Message() << "depth " << kind.depth << (kind.bitfields ? " bitfields" : "")
                                                    << ", " << width << " x " << height << ", stride " << stride
                                                    << ", rect (" << r.left << ", " << r.top << ", " << r.right
                                                    << ", " << r.bottom << ")");
                    ExpectSameAsInMemory(folder, MakeFixture(width, height, kind.depth, kind.bitfields), r, stride);
                }
            }
        }
    }
}

// Pictures whose rows take several blocks of the stream, and rows of more blocks than the painter
// in memory samples at once.
TEST(FileMosaicTest, LargePictures) {
    TempFolder folder;
    ExpectSameAsInMemory(folder, MakeFixture(3001, 97, 24), Rect{-5, 3, 3001, 97}, 20);
    ExpectSameAsInMemory(folder, MakeFixture(5003, 7, 8), Rect{0, 0, 5003, 7}, 1);
    ExpectSameAsInMemory(folder, MakeFixture(9001, 5, 4), Rect{1, 1, 9000, 4}, 2);
}

// Palettes whose colours repeat map several indexes to one, and a short colour table leaves the
// rest of the palette white: the rows then pass through a table that is not the identity.
TEST(FileMosaicTest, IndexesOfRepeatedColoursAreRemapped) {
    TempFolder folder;
    for (const int32_t depth : {1, 4, 8}) {
        SCOPED_TRACE(testing::Message() << "depth " << depth);
        BmpFixture repeated = MakeFixture(37, 29, depth);
        for (size_t i = 4; i < repeated.table.size(); i += 8) {
            std::copy(repeated.table.begin(), repeated.table.begin() + 3, repeated.table.begin() + static_cast<long>(i));
        }
        ExpectSameAsInMemory(folder, repeated, Rect{3, 4, 30, 20}, 5);

        BmpFixture shortTable = MakeFixture(37, 29, depth);
        shortTable.table.resize(depth == 1 ? 4 : 24);
        shortTable.Settle();
        ExpectSameAsInMemory(folder, shortTable, Rect{3, 4, 30, 20}, 5);
    }
}

// Bytes between the colour table and the rows are skipped as the reader skips them; trailing
// bytes after the rows are ignored.
TEST(FileMosaicTest, FollowsTheReaderToTheFirstRow) {
    TempFolder folder;
    for (const int32_t depth : {8, 16, 24}) {
        SCOPED_TRACE(testing::Message() << "depth " << depth);
        BmpFixture gap = MakeFixture(23, 19, depth, depth == 16);
        gap.table.insert(gap.table.end(), 10, 0xEE);
        gap.Settle();
        gap.rows.insert(gap.rows.end(), 7, 0xAB);
        ExpectSameAsInMemory(folder, gap, Rect{1, 1, 20, 15}, 4);
    }
}

// Pixel data that ends early follows the reader's rules through the image in memory.
TEST(FileMosaicTest, DataThatEndsEarlyGoesThroughTheImage) {
    TempFolder folder;
    for (const Kind kind : {Kind{8, false}, Kind{16, true}, Kind{24, false}}) {
        SCOPED_TRACE(testing::Message() << "depth " << kind.depth);
        BmpFixture cut = MakeFixture(23, 19, kind.depth, kind.bitfields);
        cut.rows.resize(cut.rows.size() - 5);
        ExpectSameAsInMemory(folder, cut, Rect{0, 0, 23, 19}, 4, false);
    }
}

TEST(FileMosaicTest, RefusesWhatTheReaderRefuses) {
    TempFolder folder;
    FileMosaic missing;
    EXPECT_FALSE(missing.Open(folder.File("missing.bmp").c_str()));
    FileMosaic none;
    EXPECT_FALSE(none.Open(nullptr));

    BmpFixture topDown = MakeFixture(8, 8, 24);
    topDown.info.biHeight = -8;
    WriteFileBytes(folder.File("top-down.bmp"), topDown.FileBytes());
    FileMosaic refused;
    EXPECT_FALSE(refused.Open(folder.File("top-down.bmp").c_str()));
}

// Writing over the input, here under another spelling of its name, cannot stream from the file
// being replaced.
TEST(FileMosaicTest, OutputOverTheInput) {
    TempFolder folder;
    const std::string input = folder.File("in.bmp");
    WriteFileBytes(input, MakeFixture(45, 41, 24).FileBytes());
    const Bytes want = InMemoryMosaic(input, folder.File("want.bmp"), Rect{0, 0, 45, 41}, 20);
    FileMosaic mosaic;
    ASSERT_TRUE(mosaic.Open(input.c_str()));
    ASSERT_TRUE(mosaic.Write((folder.Path() + "/./in.bmp").c_str(), 0, 0, 45, 41, 20));
    EXPECT_EQ(ReadFileBytes(input), want);
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"in.bmp", "want.bmp"}));
}

// A file cut short after it was opened leaves nothing, and the input takes the blame.
TEST(FileMosaicTest, InputThatShrinksUnderTheStream) {
    TempFolder folder;
    const BmpFixture fixture = MakeFixture(30, 30, 24);
    WriteFileBytes(folder.File("in.bmp"), fixture.FileBytes());
    FileMosaic mosaic;
    ASSERT_TRUE(mosaic.Open(folder.File("in.bmp").c_str()));
    ASSERT_TRUE(mosaic.Streamed());
    Bytes cut = fixture.FileBytes();
    cut.resize(cut.size() / 2);
    WriteFileBytes(folder.File("in.bmp"), cut);
    EXPECT_FALSE(mosaic.Write(folder.File("out.bmp").c_str(), 0, 0, 30, 30, 20));
    EXPECT_TRUE(mosaic.InputFailed());
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"in.bmp"});
}

TEST(FileMosaicTest, FailedWriteLeavesNoFile) {
    TempFolder folder;
    WriteFileBytes(folder.File("in.bmp"), MakeFixture(30, 30, 24).FileBytes());
    FileMosaic mosaic;
    ASSERT_TRUE(mosaic.Open(folder.File("in.bmp").c_str()));
    EXPECT_FALSE(mosaic.Write(folder.File("no-such-folder/out.bmp").c_str(), 0, 0, 30, 30, 20));
    EXPECT_FALSE(mosaic.InputFailed());
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"in.bmp"});
}

}  // namespace
}  // namespace rastero
