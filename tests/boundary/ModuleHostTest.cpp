// Uses the module the way a host application does: loads libBrelvinBMPPixelate at run time and
// calls RasteroPixelate through the address it looks up. Fixtures are made and checked with the
// internal library.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "image/BmpImage.h"
#include "ops/Pixelate.h"
#include "rastero/RasteroPixelate.h"
#include "tests/PatternFiles.h"
#include "tests/TestSupport.h"

namespace rastero {
namespace {

std::u16string Wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

class ModuleHostTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        module = dlopen(RASTERO_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(module, nullptr) << dlerror();
        pixelate = reinterpret_cast<RasteroPixelateFunction>(dlsym(module, "RasteroPixelate"));
        ASSERT_NE(pixelate, nullptr) << dlerror();
    }
    static void TearDownTestSuite() {
        if (module != nullptr) dlclose(module);
        module = nullptr;
        pixelate = nullptr;
    }
    void SetUp() override { ASSERT_NE(pixelate, nullptr); }

    static int32_t Pixelate(const std::u16string& input, const std::u16string& output, int32_t left,
                            int32_t top, int32_t right, int32_t bottom) {
        return pixelate(input.c_str(), output.c_str(), left, top, right, bottom);
    }

    // The export's job done with the internal library: the bytes the module must produce.
    static std::vector<uint8_t> ExpectedBytes(const std::string& input, const std::string& scratch,
                                              int32_t left, int32_t top, int32_t right,
                                              int32_t bottom) {
        BmpImage image;
        EXPECT_TRUE(image.LoadFile(input.c_str()));
        PixelateBlocks(image, left, top, right, bottom);
        EXPECT_TRUE(image.SaveFile(scratch.c_str()));
        return ReadFileBytes(scratch);
    }

    static void* module;
    static RasteroPixelateFunction pixelate;
    TempFolder folder;
};

void* ModuleHostTest::module = nullptr;
RasteroPixelateFunction ModuleHostTest::pixelate = nullptr;

TEST_F(ModuleHostTest, PaintsFourBlocksOverColumnsAndRowsZeroToForty) {
    const std::string input = folder.File("in.bmp");
    const std::string output = folder.File("out.bmp");
    ASSERT_TRUE(SavePatternImage(input, 64, 64, 24));
    ASSERT_EQ(Pixelate(Wide(input), Wide(output), 0, 0, 40, 40), 999);

    BmpImage before;
    BmpImage after;
    ASSERT_TRUE(before.LoadFile(input.c_str()));
    ASSERT_TRUE(after.LoadFile(output.c_str()));
    ASSERT_EQ(after.GetDepth(), 24);
    ASSERT_EQ(after.GetWidth(), 64);
    ASSERT_EQ(after.GetHeight(), 64);
    for (int32_t x = 0; x < 64; ++x) {
        for (int32_t y = 0; y < 64; ++y) {
            // The block to the right and the block below win the shared column and row 20.
            const bool painted = x <= 40 && y <= 40;
            const BmpPixel want = painted ? before.PixelAt((x < 20 ? 0 : 20) + 1, (y < 20 ? 0 : 20) + 1)
                                          : before.PixelAt(x, y);
            ASSERT_EQ(after.PixelAt(x, y), want) << "at (" << x << ", " << y << ")";
        }
    }
    const std::vector<uint8_t> inputBytes = ReadFileBytes(input);
    const std::vector<uint8_t> outputBytes = ReadFileBytes(output);
    ASSERT_EQ(outputBytes.size(), inputBytes.size());
    EXPECT_TRUE(std::equal(inputBytes.begin(), inputBytes.begin() + 54, outputBytes.begin()))
        << "the headers of a 24-bit picture of the same size and resolution are the same";
}

TEST_F(ModuleHostTest, GivesTheBytesOfLoadPixelateSaveAtEveryDepth) {
    for (const int32_t depth : {1, 4, 8, 16, 24, 32}) {
        const std::string input = folder.File("in" + std::to_string(depth) + ".bmp");
        const std::string output = folder.File("out" + std::to_string(depth) + ".bmp");
        ASSERT_TRUE(SavePatternImage(input, 53, 47, depth));
        ASSERT_EQ(Pixelate(Wide(input), Wide(output), 3, 5, 30, 41), 999) << depth << " bits";
        EXPECT_EQ(ReadFileBytes(output), ExpectedBytes(input, folder.File("want.bmp"), 3, 5, 30, 41))
            << depth << " bits";
    }
}

TEST_F(ModuleHostTest, HostileRectanglesCostNothingAndStayInside) {
    const std::string input = folder.File("in.bmp");
    ASSERT_TRUE(SavePatternImage(input, 45, 31, 24));
    struct Case {
        const char* name;
        int32_t left, top, right, bottom;
    };
    const Case cases[] = {
        {"everything", INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX},
        {"past the bottom-right corner", 40, 25, INT32_MAX, INT32_MAX},
        {"far outside", INT32_MAX - 5, INT32_MAX - 5, INT32_MAX, INT32_MAX},
        {"ending just inside", INT32_MIN, INT32_MIN, 1, 1},
    };
    for (const Case& c : cases) {
        const std::string output = folder.File("out.bmp");
        ASSERT_EQ(Pixelate(Wide(input), Wide(output), c.left, c.top, c.right, c.bottom), 999) << c.name;
        EXPECT_EQ(ReadFileBytes(output), ExpectedBytes(input, folder.File("want.bmp"), c.left, c.top, c.right, c.bottom))
            << c.name;
    }
}

TEST_F(ModuleHostTest, EightBitInputGivesEightBitOutputWithItsPalette) {
    const std::string input = folder.File("in.bmp");
    const std::string output = folder.File("out.bmp");
    BmpImage source;
    ASSERT_TRUE(source.Resize(50, 30));
    ASSERT_TRUE(source.SetDepth(8));
    // A palette of its own, far from the standard one, so only the input's palette explains it.
    for (int32_t i = 0; i < 256; ++i) {
        source.SetPaletteColor(i, BmpPixel{static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i / 2),
                                           static_cast<uint8_t>(i), static_cast<uint8_t>(i % 7)});
    }
    for (int32_t x = 0; x < 50; ++x)
        for (int32_t y = 0; y < 30; ++y) source.PutPixel(x, y, source.PaletteColor((x * 5 + y * 3) % 256));
    ASSERT_TRUE(source.SaveFile(input.c_str()));

    ASSERT_EQ(Pixelate(Wide(input), Wide(output), 0, 0, 50, 30), 999);
    BmpImage result;
    ASSERT_TRUE(result.LoadFile(output.c_str()));
    ASSERT_EQ(result.GetDepth(), 8);
    for (int32_t i = 0; i < 256; ++i) {
        ASSERT_EQ(result.PaletteColor(i), source.PaletteColor(i)) << "entry " << i;
    }
    EXPECT_EQ(result.PixelAt(5, 5), source.PixelAt(1, 1));
    EXPECT_EQ(result.PixelAt(25, 25), source.PixelAt(21, 21));
}

TEST_F(ModuleHostTest, EmptyRectangleStillWritesThePicture) {
    const std::string input = folder.File("in.bmp");
    ASSERT_TRUE(SavePatternImage(input, 30, 20, 24));
    const std::vector<uint8_t> unchanged = ExpectedBytes(input, folder.File("want.bmp"), 0, 0, 0, 0);
    struct Case {
        const char* name;
        int32_t left, top, right, bottom;
    };
    const Case cases[] = {
        {"right equal to left", 10, 0, 10, 20},
        {"right left of left", 10, 0, 5, 20},
        {"bottom equal to top", 0, 10, 30, 10},
        {"bottom above top", 0, 10, 30, -4},
    };
    for (const Case& c : cases) {
        const std::string output = folder.File(std::string(c.name) + ".bmp");
        ASSERT_EQ(Pixelate(Wide(input), Wide(output), c.left, c.top, c.right, c.bottom), 999) << c.name;
        EXPECT_EQ(ReadFileBytes(output), unchanged) << c.name;
    }
}

TEST_F(ModuleHostTest, FailedLoadGivesOneAndWritesNothing) {
    const std::string notBmp = folder.File("notes.txt");
    WriteFileBytes(notBmp, {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'});
    const std::string output = folder.File("out.bmp");
    struct Case {
        const char* name;
        std::u16string input;
        bool nullInput;
    };
    const Case cases[] = {
        {"missing file", Wide(folder.File("missing.bmp")), false},
        {"empty name", u"", false},
        {"null path", u"", true},
        {"not a BMP file", Wide(notBmp), false},
        {"a folder", Wide(folder.Path()), false},
    };
    for (const Case& c : cases) {
        const int32_t result = pixelate(c.nullInput ? nullptr : c.input.c_str(),
                                        Wide(output).c_str(), 0, 0, 40, 40);
        EXPECT_EQ(result, 1) << c.name << ": have " << result << ", want 1";
        EXPECT_FALSE(FileExists(output)) << c.name;
    }
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"notes.txt"});
}

TEST_F(ModuleHostTest, FailedLoadLeavesAnExistingOutputAlone) {
    const std::string output = folder.File("out.bmp");
    WriteFileBytes(output, {1, 2, 3});
    EXPECT_EQ(Pixelate(Wide(folder.File("missing.bmp")), Wide(output), 0, 0, 40, 40), 1);
    EXPECT_EQ(ReadFileBytes(output), (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(ModuleHostTest, UnwritableOutputStillGivesNineHundredNinetyNine) {
    const std::string input = folder.File("in.bmp");
    ASSERT_TRUE(SavePatternImage(input, 30, 20, 24));
    const std::string missingFolder = folder.File("no-such-folder/out.bmp");
    EXPECT_EQ(Pixelate(Wide(input), Wide(missingFolder), 0, 0, 20, 20), 999);
    EXPECT_FALSE(FileExists(missingFolder));
    EXPECT_EQ(pixelate(Wide(input).c_str(), nullptr, 0, 0, 20, 20), 999);
    EXPECT_EQ(Pixelate(Wide(input), u"", 0, 0, 20, 20), 999);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"in.bmp"});
}

TEST_F(ModuleHostTest, NonAsciiPathsWork) {
    const std::string accented = folder.File(u8"caf\u00e9 \u00e0 l'\u00e9t\u00e9");
    const std::string cjk = folder.File(u8"\u5199\u771f");
    std::filesystem::create_directory(accented);
    std::filesystem::create_directory(cjk);
    const std::string input = accented + u8"/\u00c5ngstr\u00f6m.bmp";
    const std::string output = cjk + u8"/\u7d50\u679c \U0001F600.bmp";
    ASSERT_TRUE(SavePatternImage(input, 40, 40, 24));
    const std::u16string wideInput = Wide(folder.Path()) + u"/caf\u00e9 \u00e0 l'\u00e9t\u00e9/\u00c5ngstr\u00f6m.bmp";
    const std::u16string wideOutput = Wide(folder.Path()) + u"/\u5199\u771f/\u7d50\u679c \U0001F600.bmp";
    ASSERT_EQ(Pixelate(wideInput, wideOutput, 0, 0, 20, 20), 999);
    EXPECT_EQ(ReadFileBytes(output), ExpectedBytes(input, folder.File("want.bmp"), 0, 0, 20, 20));
}

// A lenient conversion would drop the stray unit or put U+FFFD in its place; both of those files
// exist, and neither may be read or written.
TEST_F(ModuleHostTest, UnpairedSurrogateGivesTheEmptyName) {
    const std::string dropped = folder.File("in.bmp");
    const std::string replaced = folder.File(u8"in\uFFFD.bmp");
    ASSERT_TRUE(SavePatternImage(dropped, 30, 20, 24));
    ASSERT_TRUE(SavePatternImage(replaced, 30, 20, 24));
    const std::u16string stray = Wide(folder.Path()) + u"/in" + char16_t(0xD800) + u".bmp";
    EXPECT_EQ(Pixelate(stray, Wide(folder.File("out.bmp")), 0, 0, 20, 20), 1);

    const std::vector<std::string> before = folder.Entries();
    EXPECT_EQ(Pixelate(Wide(dropped), Wide(folder.Path()) + u"/out" + char16_t(0xDC00) + u".bmp",
                       0, 0, 20, 20),
              999);
    EXPECT_EQ(folder.Entries(), before);
}

TEST_F(ModuleHostTest, CallsOnDifferentFilesShareNothing) {
    constexpr int threadCount = 8;
    struct Job {
        std::string input, sequential, parallel;
        int32_t left, top, right, bottom;
    };
    std::vector<Job> jobs;
    for (int i = 0; i < threadCount; ++i) {
        const std::string name = std::to_string(i);
        const int32_t depths[] = {1, 4, 8, 16, 24, 32, 24, 8};
        Job job{folder.File("in" + name + ".bmp"), folder.File("seq" + name + ".bmp"),
                folder.File("par" + name + ".bmp"), i * 3, i, 100 + i * 7, 90 - i};
        ASSERT_TRUE(SavePatternImage(job.input, 120 + i, 100 - i, depths[i], i));
        jobs.push_back(job);
    }
    for (const Job& job : jobs) {
        ASSERT_EQ(Pixelate(Wide(job.input), Wide(job.sequential), job.left, job.top, job.right, job.bottom), 999);
    }
    std::vector<int32_t> results(threadCount, 0);
    std::vector<std::thread> threads;
    for (int i = 0; i < threadCount; ++i) {
        threads.emplace_back([&jobs, &results, i] {
            const Job& job = jobs[i];
            // Several rounds, so the calls overlap for a good while.
            for (int round = 0; round < 5 && (round == 0 || results[i] == 999); ++round) {
                results[i] = Pixelate(Wide(job.input), Wide(job.parallel), job.left, job.top, job.right, job.bottom);
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int i = 0; i < threadCount; ++i) {
        EXPECT_EQ(results[i], 999) << "thread " << i;
        EXPECT_EQ(ReadFileBytes(jobs[i].parallel), ReadFileBytes(jobs[i].sequential)) << "thread " << i;
    }
}

// A host sees one symbol, under its plain name; nothing of the library inside leaks out.
TEST(ModuleSymbolsTest, ExportsOnlyRasteroPixelate) {
    const std::string command = std::string("nm -D --defined-only '") + RASTERO_MODULE_PATH + "'";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> names;
    char line[1024];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        char address[256], type[8], name[768];
        if (std::sscanf(line, "%255s %7s %767s", address, type, name) == 3) {
            names.insert(name);
            EXPECT_STREQ(type, "T") << name;
        }
    }
    ASSERT_EQ(pclose(pipe), 0) << command;
    EXPECT_EQ(names, std::set<std::string>{"RasteroPixelate"});
}

}  // namespace
}  // namespace rastero
