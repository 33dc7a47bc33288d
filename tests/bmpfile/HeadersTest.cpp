#include <gtest/gtest.h>

#include <cstring>

#include "bmpfile/HeaderReaders.h"
#include "tests/TestSupport.h"
#include "tests/bmpfile/BmpFixture.h"

namespace rastero {
namespace {

TEST(HeadersTest, ConstructionDefaults) {
    const BmpFileHeader file;
    EXPECT_EQ(file.bfType, 0x4D42);
    EXPECT_EQ(file.bfSize, 0u);
    EXPECT_EQ(file.bfReserved1, 0);
    EXPECT_EQ(file.bfReserved2, 0);
    EXPECT_EQ(file.bfOffBits, 0u);
    uint8_t bytes[14];
    file.Store(bytes);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');

    const BmpInfoHeader info;
    EXPECT_EQ(info.biSize, 0u);
    EXPECT_EQ(info.biWidth, 0);
    EXPECT_EQ(info.biHeight, 0);
    EXPECT_EQ(info.biPlanes, 1);
    EXPECT_EQ(info.biBitCount, 0);
    EXPECT_EQ(info.biCompression, 0u);
    EXPECT_EQ(info.biSizeImage, 0u);
    EXPECT_EQ(info.biXPelsPerMeter, 3780);
    EXPECT_EQ(info.biYPelsPerMeter, 3780);
    EXPECT_EQ(info.biClrUsed, 0u);
    EXPECT_EQ(info.biClrImportant, 0u);
    EXPECT_TRUE(CheckTypeSizes());
}

TEST(HeadersTest, ByteSwaps) {
    EXPECT_EQ(SwapBytes16(0x4D42), 0x424D);
    EXPECT_EQ(SwapBytes32(0x04030201u), 0x01020304u);
    EXPECT_EQ(SwapBytes32(0xFF000080u), 0x800000FFu);

    BmpFileHeader file;
    file.bfSize = 0x11223344;
    file.bfOffBits = 54;
    file.SwapByteOrder();
    EXPECT_EQ(file.bfType, 0x424D);
    EXPECT_EQ(file.bfSize, 0x44332211u);
    EXPECT_EQ(file.bfOffBits, 0x36000000u);
    file.SwapByteOrder();
    EXPECT_EQ(file.bfSize, 0x11223344u);
    EXPECT_EQ(file.bfOffBits, 54u);

    BmpInfoHeader info;
    info.biWidth = -2;
    info.biHeight = 0x7F;
    info.biBitCount = 24;
    info.biXPelsPerMeter = INT32_MIN;
    uint8_t before[40];
    info.Store(before);
    info.SwapByteOrder();
    EXPECT_EQ(info.biWidth, static_cast<int32_t>(0xFEFFFFFFu));
    EXPECT_EQ(info.biHeight, 0x7F000000);
    EXPECT_EQ(info.biBitCount, 0x1800);
    EXPECT_EQ(info.biXPelsPerMeter, 0x80);
    info.SwapByteOrder();
    uint8_t after[40];
    info.Store(after);
    EXPECT_EQ(std::memcmp(before, after, 40), 0);
}

TEST(HeadersTest, StoredFieldsAreLittleEndianInFieldOrder) {
    BmpFileHeader file;
    file.bfSize = 0x01020304;
    file.bfReserved1 = 0x0506;
    file.bfReserved2 = 0x0708;
    file.bfOffBits = 0x090A0B0C;
    Bytes bytes(14);
    file.Store(bytes.data());
    EXPECT_EQ(bytes, (Bytes{0x42, 0x4D, 4, 3, 2, 1, 6, 5, 8, 7, 0x0C, 0x0B, 0x0A, 0x09}));

    BmpInfoHeader info;
    info.biSize = 40;
    info.biWidth = -1;
    info.biHeight = 2;
    info.biBitCount = 16;
    info.biCompression = 3;
    info.biSizeImage = 0x100;
    info.biClrUsed = 7;
    info.biClrImportant = 8;
    bytes.assign(40, 0);
    info.Store(bytes.data());
    EXPECT_EQ(bytes, (Bytes{40, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0, 1, 0, 16, 0, 3, 0, 0, 0, 0, 1, 0, 0,
                            0xC4, 0x0E, 0, 0, 0xC4, 0x0E, 0, 0, 7, 0, 0, 0, 8, 0, 0, 0}));
}

TEST(HeadersTest, ReadItemsStopsForGoodAtTheEndOfTheFile) {
    TempFolder folder;
    const std::string path = folder.File("three.bin");
    WriteFileBytes(path, {1, 2, 3});
    std::FILE* stream = std::fopen(path.c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    const StreamGuard guard(stream);
    uint32_t value = 0xAAAAAAAA;
    EXPECT_FALSE(ReadItems(&value, 4, 1, stream)) << "3 bytes cannot make one item of 4";
    EXPECT_EQ(value, 0xAA030201u) << "the bytes that arrived are stored";
    value = 0x55555555;
    EXPECT_FALSE(ReadItems(&value, 1, 1, stream));
    EXPECT_EQ(value, 0x55555555u) << "after the end nothing is touched";

    const std::string empty = folder.File("empty.bin");
    WriteFileBytes(empty, {});
    std::FILE* emptyStream = std::fopen(empty.c_str(), "rb");
    ASSERT_NE(emptyStream, nullptr);
    const StreamGuard emptyGuard(emptyStream);
    EXPECT_FALSE(std::feof(emptyStream));
    EXPECT_FALSE(ReadItems(&value, 2, 1, emptyStream));
    EXPECT_TRUE(std::feof(emptyStream)) << "the first read tried and met the end";
    EXPECT_FALSE(ReadItems(&value, 2, 1, emptyStream));
}

TEST(HeadersTest, ReadItemsReadsWholeItems) {
    TempFolder folder;
    const std::string path = folder.File("six.bin");
    WriteFileBytes(path, {1, 2, 3, 4, 5, 6});
    std::FILE* stream = std::fopen(path.c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    const StreamGuard guard(stream);
    uint16_t words[3] = {};
    EXPECT_TRUE(ReadItems(words, 2, 3, stream));
    EXPECT_EQ(words[2], 0x0605);
    EXPECT_FALSE(std::feof(stream)) << "reading exactly to the end does not set the indicator";
    EXPECT_TRUE(ReadItems(words, 2, 0, stream));
}

TEST(HeadersTest, RowStrides) {
    struct Case {
        int32_t width, depth;
        int64_t want;
    };
    const Case cases[] = {{1, 1, 4},  {33, 1, 8},  {5, 4, 4},   {3, 8, 4},         {3, 16, 8},
                          {3, 24, 12}, {2, 32, 8}, {31, 1, 4}, {1 << 26, 32, 1 << 28}, {9, 4, 8}};
    for (const Case& c : cases) {
        EXPECT_EQ(RowStride(c.width, c.depth), c.want) << c.width << " x " << c.depth << " bits";
    }
}

TEST(HeaderReadersTest, HeadersAsTheFileHoldsThem) {
    TempFolder folder;
    BmpImage image;
    ASSERT_TRUE(image.Resize(5, 2));
    ASSERT_TRUE(image.SaveFile(folder.File("rgb.bmp").c_str()));
    const BmpFileHeader file = ReadFileHeaderOf(folder.File("rgb.bmp").c_str());
    EXPECT_EQ(file.bfType, 0x4D42);
    EXPECT_EQ(file.bfSize, 86u);
    EXPECT_EQ(file.bfReserved1, 0);
    EXPECT_EQ(file.bfReserved2, 0);
    EXPECT_EQ(file.bfOffBits, 54u);
    const BmpInfoHeader info = ReadInfoHeaderOf(folder.File("rgb.bmp").c_str());
    EXPECT_EQ(info.biSize, 40u);
    EXPECT_EQ(info.biWidth, 5);
    EXPECT_EQ(info.biHeight, 2);
    EXPECT_EQ(info.biPlanes, 1);
    EXPECT_EQ(info.biBitCount, 24);
    EXPECT_EQ(info.biCompression, 0u);
    EXPECT_EQ(info.biSizeImage, 32u);
    EXPECT_EQ(DepthOfFile(folder.File("rgb.bmp").c_str()), 24);

    ASSERT_TRUE(image.SetDepth(16));
    ASSERT_TRUE(image.SaveFile(folder.File("rgb16.bmp").c_str()));
    EXPECT_EQ(DepthOfFile(folder.File("rgb16.bmp").c_str()), 16);
    EXPECT_EQ(ReadInfoHeaderOf(folder.File("rgb16.bmp").c_str()).biCompression, 3u);
    ShowBitmapInfo(folder.File("rgb16.bmp").c_str());
}

void ExpectConstructedInfo(const BmpInfoHeader& info, const std::string& name) {
    EXPECT_EQ(info.biPlanes, 1) << name;
    EXPECT_EQ(info.biCompression, 0u) << name;
    EXPECT_EQ(info.biXPelsPerMeter, 3780) << name;
    EXPECT_EQ(info.biYPelsPerMeter, 3780) << name;
    EXPECT_EQ(info.biClrUsed, 0u) << name;
    EXPECT_EQ(info.biClrImportant, 0u) << name;
    EXPECT_EQ(info.biBitCount, 0) << name;
}

TEST(HeaderReadersTest, MissingAndShortFiles) {
    TempFolder folder;
    const std::string missing = folder.File("missing.bmp");
    const BmpFileHeader none = ReadFileHeaderOf(missing.c_str());
    EXPECT_EQ(none.bfType, 0);
    EXPECT_EQ(none.bfReserved1, 0);
    EXPECT_EQ(none.bfReserved2, 0);
    ExpectConstructedInfo(ReadInfoHeaderOf(missing.c_str()), "missing");
    EXPECT_EQ(DepthOfFile(missing.c_str()), 0);
    ShowBitmapInfo(missing.c_str());

    const std::string fourteen = folder.File("fourteen.bmp");
    WriteFileBytes(fourteen, {'B', 'M', 1, 0, 0, 0, 2, 0, 3, 0, 4, 0, 0, 0});
    const BmpFileHeader file = ReadFileHeaderOf(fourteen.c_str());
    EXPECT_EQ(file.bfSize, 1u);
    EXPECT_EQ(file.bfReserved1, 2);
    EXPECT_EQ(file.bfReserved2, 3);
    EXPECT_EQ(file.bfOffBits, 4u);
    ExpectConstructedInfo(ReadInfoHeaderOf(fourteen.c_str()), "14 bytes");

    // Cut inside biWidth: the field keeps the two bytes that arrived, the later ones their defaults.
    const std::string cut = folder.File("cut.bmp");
    Bytes bytes = MakeFixture(0x0201, 1, 8).FileBytes();
    bytes.resize(20);
    WriteFileBytes(cut, bytes);
    const BmpInfoHeader partial = ReadInfoHeaderOf(cut.c_str());
    EXPECT_EQ(partial.biSize, 40u);
    EXPECT_EQ(partial.biWidth, 0x0201);
    ExpectConstructedInfo(partial, "cut at 20");
}

TEST(HeaderReadersTest, OtherFormatsAreReadAsTheyAre) {
    TempFolder folder;
    Bytes bytes(60);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i);
    WriteFileBytes(folder.File("other.bin"), bytes);
    const BmpFileHeader file = ReadFileHeaderOf(folder.File("other.bin").c_str());
    EXPECT_EQ(file.bfType, 0x0100);
    EXPECT_EQ(file.bfOffBits, 0x0D0C0B0Au);
    const BmpInfoHeader info = ReadInfoHeaderOf(folder.File("other.bin").c_str());
    EXPECT_EQ(info.biBitCount, 0x1D1C);
    EXPECT_EQ(info.biClrImportant, 0x35343332u);
    EXPECT_EQ(DepthOfFile(folder.File("other.bin").c_str()), 0x1D1C);
}

}  // namespace
}  // namespace rastero
