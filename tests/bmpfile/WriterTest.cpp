#include <gtest/gtest.h>

#include <filesystem>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "image/ColorMatching.h"
#include "tests/TestSupport.h"
#include "tests/bmpfile/BmpFixture.h"
#include "tests/bmpfile/Reloaded.h"

namespace rastero {
namespace {

Bytes SaveToBytes(BmpImage& image, const TempFolder& folder) {
    const std::string path = folder.File("out.bmp");
    EXPECT_TRUE(image.SaveFile(path.c_str()));
    return ReadFileBytes(path);
}

TEST(WriterTest, SizesOffsetsAndFill) {
    struct Case {
        const char* name;
        int32_t depth, width, height;
        uint32_t fileSize, offBits, imageSize, compression;
        size_t stride, pixelBytes;
    };
    const Case cases[] = {
        {"24 bits 5 x 2", 24, 5, 2, 86, 54, 32, 0, 16, 15},
        {"1 bit 10 x 3", 1, 10, 3, 74, 62, 12, 0, 4, 2},
        {"4 bits 3 x 1", 4, 3, 1, 122, 118, 4, 0, 4, 2},
        {"8 bits 4 x 4", 8, 4, 4, 1094, 1078, 16, 0, 4, 4},
        {"16 bits 3 x 2", 16, 3, 2, 82, 66, 16, 3, 8, 6},
        {"32 bits 1 x 1", 32, 1, 1, 58, 54, 4, 0, 4, 4},
        {"1 bit 33 x 2", 1, 33, 2, 78, 62, 16, 0, 8, 5},
        {"24 bits 2 x 2", 24, 2, 2, 70, 54, 16, 0, 8, 6},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        BmpImage image;
        ASSERT_TRUE(image.SetDepth(c.depth));
        ASSERT_TRUE(image.Resize(c.width, c.height));
        FillPattern(image);
        const Bytes bytes = SaveToBytes(image, folder);
        ASSERT_EQ(bytes.size(), c.fileSize) << c.name;
        EXPECT_EQ(Little16(bytes, 0), 0x4D42) << c.name;
        EXPECT_EQ(Little32(bytes, 2), c.fileSize) << c.name;
        EXPECT_EQ(Little32(bytes, 6), 0u) << c.name << ": reserved";
        EXPECT_EQ(Little32(bytes, 10), c.offBits) << c.name;
        EXPECT_EQ(Little32(bytes, 14), 40u) << c.name;
        EXPECT_EQ(Little32(bytes, 18), static_cast<uint32_t>(c.width)) << c.name;
        EXPECT_EQ(Little32(bytes, 22), static_cast<uint32_t>(c.height)) << c.name;
        EXPECT_EQ(Little16(bytes, 26), 1) << c.name << ": planes";
        EXPECT_EQ(Little16(bytes, 28), c.depth) << c.name;
        EXPECT_EQ(Little32(bytes, 30), c.compression) << c.name;
        EXPECT_EQ(Little32(bytes, 34), c.imageSize) << c.name;
        EXPECT_EQ(Little32(bytes, 46), 0u) << c.name << ": colours used";
        EXPECT_EQ(Little32(bytes, 50), 0u) << c.name << ": colours important";
        for (int32_t row = 0; row < c.height; ++row) {
            for (size_t k = c.pixelBytes; k < c.stride; ++k) {
                EXPECT_EQ(bytes[c.offBits + row * c.stride + k], 0) << c.name << ": fill of row " << row;
            }
        }
    }
}

TEST(WriterTest, PackedRowsPutTheLeftmostPixelHigh) {
    TempFolder folder;
    BmpImage bits;
    ASSERT_TRUE(bits.SetDepth(1));
    ASSERT_TRUE(bits.Resize(10, 3));
    // Row 2 is the bottom row, so the first stored one: white at x = 0, 8 and 9, black elsewhere.
    for (int32_t x = 0; x < 10; ++x) bits.PutPixel(x, 2, x == 0 || x >= 8 ? WhitePixel : BmpPixel{0, 0, 0, 0});
    Bytes bytes = SaveToBytes(bits, folder);
    EXPECT_EQ(bytes[62], 0x80);
    EXPECT_EQ(bytes[63], 0xC0) << "pixels 8 and 9 in bits 7 and 6, zero below";

    BmpImage nibbles;
    ASSERT_TRUE(nibbles.SetDepth(4));
    ASSERT_TRUE(nibbles.Resize(3, 1));
    nibbles.PutPixel(0, 0, nibbles.PaletteColor(9));
    nibbles.PutPixel(1, 0, nibbles.PaletteColor(12));
    nibbles.PutPixel(2, 0, nibbles.PaletteColor(7));
    bytes = SaveToBytes(nibbles, folder);
    EXPECT_EQ(Bytes(bytes.begin() + 118, bytes.end()), (Bytes{0x9C, 0x70, 0, 0}));
}

TEST(WriterTest, PaletteGoesOutAsStoredWithItsAlphaBytes) {
    TempFolder folder;
    BmpImage image;
    ASSERT_TRUE(image.SetDepth(4));
    ASSERT_TRUE(image.Resize(2, 2));
    ASSERT_TRUE(BuildGrayPalette(image));
    image.SetPaletteColor(3, BmpPixel{1, 2, 3, 4});
    const Bytes bytes = SaveToBytes(image, folder);
    for (int32_t i = 0; i < 16; ++i) {
        const BmpPixel entry = image.PaletteColor(i);
        EXPECT_EQ(Bytes(bytes.begin() + 54 + 4 * i, bytes.begin() + 58 + 4 * i),
                  (Bytes{entry.blue, entry.green, entry.red, entry.alpha}))
            << "entry " << i;
    }
}

TEST(WriterTest, SixteenBitMasksAndWords) {
    struct Case {
        const char* name;
        BmpPixel color;
        uint16_t word;
    };
    const Case cases[] = {
        {"red", BmpPixel{0, 0, 255, 9}, 0xF800},
        {"white", WhitePixel, 0xFFFF},
        {"red 200, green 100, blue 50", BmpPixel{50, 100, 200, 0}, 0xCB26},
        {"below one step", BmpPixel{7, 3, 7, 255}, 0},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        BmpImage image;
        ASSERT_TRUE(image.SetDepth(16));
        ASSERT_TRUE(image.Resize(1, 1));
        image.PutPixel(0, 0, c.color);
        const Bytes bytes = SaveToBytes(image, folder);
        ASSERT_EQ(bytes.size(), 70u) << c.name;
        EXPECT_EQ(Bytes(bytes.begin() + 54, bytes.begin() + 66),
                  (Bytes{0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0}))
            << c.name;
        EXPECT_EQ(Little16(bytes, 66), c.word) << c.name << ": have " << Little16(bytes, 66) << ", want " << c.word;
        EXPECT_EQ(Little16(bytes, 68), 0) << c.name << ": fill";
    }
}

TEST(WriterTest, ThirtyTwoBitsKeepAlphaAndTwentyFourDropIt) {
    TempFolder folder;
    BmpImage image;
    ASSERT_TRUE(image.SetDepth(32));
    image.PutPixel(0, 0, BmpPixel{1, 2, 3, 4});
    Bytes bytes = SaveToBytes(image, folder);
    EXPECT_EQ(Bytes(bytes.begin() + 54, bytes.end()), (Bytes{1, 2, 3, 4}));
    ASSERT_TRUE(image.SetDepth(24));
    bytes = SaveToBytes(image, folder);
    EXPECT_EQ(Bytes(bytes.begin() + 54, bytes.end()), (Bytes{1, 2, 3, 0}));
}

TEST(WriterTest, UnsetResolutionIsWrittenAs3780AndStaysUnset) {
    struct Case {
        const char* name;
        int32_t x, y, wantX, wantY;
    };
    const Case cases[] = {{"x unset", 0, 2835, 3780, 2835}, {"both unset", 0, 0, 3780, 3780},
                          {"negative kept", -7, INT32_MIN, -7, INT32_MIN}};
    TempFolder folder;
    for (const Case& c : cases) {
        BmpImage image;
        image.SetPixelsPerMeter(c.x, c.y);
        const Bytes bytes = SaveToBytes(image, folder);
        EXPECT_EQ(static_cast<int32_t>(Little32(bytes, 38)), c.wantX) << c.name;
        EXPECT_EQ(static_cast<int32_t>(Little32(bytes, 42)), c.wantY) << c.name;
        EXPECT_EQ(image.GetXPixelsPerMeter(), c.x) << c.name << ": the image keeps its value";
        EXPECT_EQ(image.GetYPixelsPerMeter(), c.y) << c.name;
    }
}

TEST(WriterTest, RoundTripsAtEveryDepthAndWidth) {
    TempFolder folder;
    const std::string path = folder.File("round.bmp");
    for (int32_t depth : {1, 4, 8, 16, 24, 32}) {
        for (int32_t width : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 16, 17, 23, 31, 32, 33, 63, 65, 1200}) {
            // Several blocks of rows where matching every pixel against a palette stays cheap.
            const int32_t height = width < 1200 ? 3 : depth >= 16 ? 900 : 4;
            BmpImage image;
            ASSERT_TRUE(image.SetDepth(depth));
            ASSERT_TRUE(image.Resize(width, height));
            FillPattern(image);
            if (depth == 8) BuildGrayPalette(image);
            image.SetPixelsPerMeter(1234, 0);
            ASSERT_TRUE(image.SaveFile(path.c_str()));
            BmpImage back;
            ASSERT_TRUE(back.LoadFile(path.c_str()));
            const std::string name = std::to_string(depth) + " bits, width " + std::to_string(width);
            ASSERT_EQ(back.GetWidth(), width) << name;
            ASSERT_EQ(back.GetHeight(), height) << name;
            ASSERT_EQ(back.GetDepth(), depth) << name;
            EXPECT_EQ(back.GetXPixelsPerMeter(), 1234) << name;
            EXPECT_EQ(back.GetYPixelsPerMeter(), 3780) << name;
            for (int32_t i = 0; i < (depth <= 8 ? 1 << depth : 0); ++i) {
                ASSERT_EQ(back.PaletteColor(i), image.PaletteColor(i)) << name << ": entry " << i;
            }
            for (int32_t x = 0; x < width; ++x) {
                for (int32_t y = 0; y < height; ++y) {
                    const BmpPixel want = ReloadedColor(image, image.PixelAt(x, y));
                    ASSERT_EQ(back.PixelAt(x, y), want) << name << ": pixel (" << x << ", " << y << ")";
                }
            }
        }
    }
}

// The writer remembers matches per colour; every stored index must still be what
// NearestPaletteIndex answers, also for a palette that repeats colours (the first entry wins)
// and for far more distinct colours than any memo holds, met again after others pushed them out.
TEST(WriterTest, StoredIndexesAreTheNearestEntryForEveryPixel) {
    TempFolder folder;
    const std::string path = folder.File("indexes.bmp");
    for (int32_t depth : {1, 4, 8}) {
        const int32_t width = 301;
        const int32_t height = 200;
        BmpImage image;
        ASSERT_TRUE(image.SetDepth(depth));
        ASSERT_TRUE(image.Resize(width, height));
        const int32_t entries = image.PaletteSize();
        // Later entries repeat earlier colours with another alpha, so a wrong choice shows.
        for (int32_t i = entries / 2; i < entries; i += 3) {
            BmpPixel repeat = image.PaletteColor(i - entries / 2);
            repeat.alpha = 77;
            image.SetPaletteColor(i, repeat);
        }
        uint32_t noise = 12345;
        for (int32_t x = 0; x < width; ++x) {
            for (int32_t y = 0; y < height; ++y) {
                noise = noise * 1664525u + 1013904223u;
                // Half palette colours, half any of about 16000 others, in no order.
                const BmpPixel color = (noise >> 31) != 0
                    ? image.PaletteColor(static_cast<int32_t>((noise >> 8) % entries))
                    : BmpPixel{static_cast<uint8_t>(noise >> 8 & 0x3F), static_cast<uint8_t>(noise >> 14 & 0xF0),
                               static_cast<uint8_t>(noise >> 20), static_cast<uint8_t>(noise)};
                image.PutPixel(x, y, color);
            }
        }
        ASSERT_TRUE(image.SaveFile(path.c_str()));
        const Bytes bytes = ReadFileBytes(path);
        const size_t stride = static_cast<size_t>(RowStride(width, depth));
        const size_t start = 54 + 4 * static_cast<size_t>(entries);
        ASSERT_EQ(bytes.size(), start + stride * height) << depth << " bits";
        const int32_t perByte = 8 / depth;
        for (int32_t y = 0; y < height; ++y) {
            const uint8_t* row = bytes.data() + start + stride * static_cast<size_t>(height - 1 - y);
            for (int32_t x = 0; x < width; ++x) {
                const int32_t shift = 8 - depth * (x % perByte + 1);
                const int32_t have = (row[x / perByte] >> shift) & ((1 << depth) - 1);
                const int32_t want = image.NearestPaletteIndex(image.PixelAt(x, y));
                ASSERT_EQ(have, want) << depth << " bits, pixel (" << x << ", " << y << "): have " << have
                                      << ", want " << want;
            }
        }
    }
}

TEST(WriterTest, EncodersFillOnlyTheirBytesAndRefuseShortBuffers) {
    struct Case {
        const char* name;
        int32_t depth;
        int32_t needed;
        bool (BmpImage::*encode)(uint8_t*, int32_t, int32_t) const;
        bool (BmpImage::*decode)(const uint8_t*, int32_t, int32_t);
    };
    // 9 pixels take 2, 5, 9, 27 and 36 bytes.
    const Case cases[] = {{"1 bit", 1, 2, &BmpImage::EncodeRow1, &BmpImage::DecodeRow1},
                          {"4 bits", 4, 5, &BmpImage::EncodeRow4, &BmpImage::DecodeRow4},
                          {"8 bits", 8, 9, &BmpImage::EncodeRow8, &BmpImage::DecodeRow8},
                          {"24 bits", 24, 27, &BmpImage::EncodeRow24, &BmpImage::DecodeRow24},
                          {"32 bits", 32, 36, &BmpImage::EncodeRow32, &BmpImage::DecodeRow32}};
    for (const Case& c : cases) {
        BmpImage image;
        ASSERT_TRUE(image.SetDepth(c.depth));
        ASSERT_TRUE(image.Resize(9, 2));
        FillPattern(image);
        Bytes buffer(64, 0xEE);
        EXPECT_FALSE((image.*c.encode)(buffer.data(), c.needed - 1, 1)) << c.name;
        EXPECT_EQ(buffer, Bytes(64, 0xEE)) << c.name << ": nothing written";
        EXPECT_TRUE((image.*c.encode)(buffer.data(), c.needed, 1)) << c.name;
        EXPECT_NE(buffer[c.needed - 1], 0xEE) << c.name << ": the last byte is filled";
        EXPECT_EQ(buffer[c.needed], 0xEE) << c.name << ": nothing past it";

        // The bytes decode back to the encoded row.
        BmpImage back;
        ASSERT_TRUE(back.SetDepth(c.depth));
        ASSERT_TRUE(back.Resize(9, 2));
        bool (BmpImage::*decode)(const uint8_t*, int32_t, int32_t) =
            c.depth == 1 ? &BmpImage::DecodeRow1
            : c.depth == 4 ? &BmpImage::DecodeRow4
            : c.depth == 8 ? &BmpImage::DecodeRow8
            : c.depth == 24 ? &BmpImage::DecodeRow24
                            : &BmpImage::DecodeRow32;
        ASSERT_TRUE((back.*decode)(buffer.data(), c.needed, 1)) << c.name;
        for (int32_t x = 0; x < 9; ++x) {
            const BmpPixel want = ReloadedColor(image, image.PixelAt(x, 1));
            EXPECT_EQ(back.PixelAt(x, 1), want) << c.name << " x " << x;
        }
    }
}

TEST(WriterTest, SuccessLeavesOnlyTheTargetWithTheModeOfTheOldOne) {
    TempFolder folder;
    const std::string path = folder.File("kept.bmp");
    WriteFileBytes(path, {1, 2, 3});
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    BmpImage image;
    ASSERT_TRUE(image.SaveFile(path.c_str()));
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"kept.bmp"});
    EXPECT_EQ(ReadFileBytes(path).size(), 58u);
    struct stat status;
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

TEST(WriterTest, SymbolicLinksAreWrittenThrough) {
    TempFolder folder;
    WriteFileBytes(folder.File("real.bmp"), {1, 2, 3});
    ASSERT_EQ(symlink("real.bmp", folder.File("link.bmp").c_str()), 0);
    BmpImage image;
    ASSERT_TRUE(image.SaveFile(folder.File("link.bmp").c_str()));
    struct stat status;
    ASSERT_EQ(lstat(folder.File("link.bmp").c_str(), &status), 0);
    EXPECT_TRUE(S_ISLNK(status.st_mode)) << "the link stays a link";
    EXPECT_EQ(ReadFileBytes(folder.File("real.bmp")).size(), 58u) << "the file it points to is replaced";
}

TEST(WriterTest, MissingFolderIsAFailureAndMakesNoFile) {
    BmpImage image;
    EXPECT_FALSE(image.SaveFile("/nonexistent-folder/out.bmp"));
    struct stat status;
    EXPECT_NE(stat("/nonexistent-folder/out.bmp", &status), 0);
}

TEST(WriterTest, EmptyOrNullNameIsAFailureAndMakesNoFile) {
    TempFolder folder;
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
    BmpImage image;
    const bool savedEmpty = image.SaveFile("");
    const bool savedNull = image.SaveFile(nullptr);
    std::filesystem::current_path(previous);
    EXPECT_FALSE(savedEmpty);
    EXPECT_FALSE(savedNull);
    EXPECT_TRUE(folder.Entries().empty()) << "no temporary file in the current folder";
}

TEST(WriterTest, DevicesAreWrittenInPlace) {
    BmpImage image;
    EXPECT_TRUE(image.SaveFile("/dev/null"));
    struct stat status;
    ASSERT_EQ(stat("/dev/null", &status), 0);
    EXPECT_TRUE(S_ISCHR(status.st_mode)) << "still the device";
    // A full device reports the failed write.
    if (stat("/dev/full", &status) == 0) {
        EXPECT_FALSE(image.SaveFile("/dev/full"));
    }
}

// Runs SaveFile of a 200 x 200 24-bit image in a child process prepared by `prepare`: 0 when it
// succeeded, 1 when it failed, 2 when the child could not be prepared. A child keeps limits and
// identities away from the test process.
int SaveInChild(const std::string& path, void (*prepare)()) {
    const pid_t child = fork();
    if (child == 0) {
        prepare();
        BmpImage image;
        image.Resize(200, 200);
        FillPattern(image);
        _exit(image.SaveFile(path.c_str()) ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void LimitFileSize() {
    // Writes past the limit then fail with an error instead of ending the process.
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{60000, 60000};
    setrlimit(RLIMIT_FSIZE, &limit);
}

// Root passes every permission test, so the child gives up root first.
void BecomeUnprivileged() {
    if (geteuid() == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
    }
}

void ExpectEarlierFileKept(const TempFolder& folder, const Bytes& earlier, const std::string& name) {
    EXPECT_EQ(ReadFileBytes(folder.File("target.bmp")), earlier) << name << ": the earlier file changed";
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"target.bmp"}) << name << ": a temporary file is left";
}

TEST(WriterTest, FailedWritesLeaveTheEarlierFileByteForByte) {
    const Bytes earlier = {'B', 'M', 'e', 'a', 'r', 'l', 'i', 'e', 'r'};
    {
        TempFolder folder;
        WriteFileBytes(folder.File("target.bmp"), earlier);
        EXPECT_EQ(SaveInChild(folder.File("target.bmp"), LimitFileSize), 1) << "file size limit";
        ExpectEarlierFileKept(folder, earlier, "file size limit");
    }
    {
        TempFolder folder;
        WriteFileBytes(folder.File("target.bmp"), earlier);
        ASSERT_EQ(chmod(folder.File("target.bmp").c_str(), 0666), 0);
        ASSERT_EQ(chmod(folder.Path().c_str(), 0555), 0);
        const int result = SaveInChild(folder.File("target.bmp"), BecomeUnprivileged);
        ASSERT_EQ(chmod(folder.Path().c_str(), 0755), 0);
        if (result == 2) GTEST_SKIP() << "read-only folder: running as root without a way to drop root";
        EXPECT_EQ(result, 1) << "read-only folder";
        ExpectEarlierFileKept(folder, earlier, "read-only folder");
    }
    {
        // The folder lets anyone create and rename files, but the target itself is protected.
        TempFolder folder;
        WriteFileBytes(folder.File("target.bmp"), earlier);
        ASSERT_EQ(chmod(folder.File("target.bmp").c_str(), 0444), 0);
        ASSERT_EQ(chmod(folder.Path().c_str(), 0777), 0);
        const int result = SaveInChild(folder.File("target.bmp"), BecomeUnprivileged);
        ASSERT_EQ(chmod(folder.Path().c_str(), 0755), 0);
        if (result == 2) GTEST_SKIP() << "read-only file: running as root without a way to drop root";
        EXPECT_EQ(result, 1) << "read-only file";
        ExpectEarlierFileKept(folder, earlier, "read-only file");
    }
}

}  // namespace
}  // namespace rastero
