// Runs the built rastero tool as a user would and checks its exit status, its output and its
// messages.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bmpfile/BmpHeaders.h"
#include "bmpfile/HeaderInspection.h"
#include "image/BmpImage.h"
#include "ops/Pixelate.h"
#include "ops/Rescale.h"
#include "tests/PatternFiles.h"
#include "tests/TestSupport.h"

namespace rastero {
namespace {

const std::string suite = std::string(RASTERO_TEST_DATA) + "/bmpsuite/";

std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

class ToolTest : public ::testing::Test {
protected:
    ToolRun Run(const std::vector<std::string>& arguments, const std::string& standardInput = "/dev/null") {
        std::string command = RASTERO_TOOL_LAUNCHER + ShellQuoted(RASTERO_TOOL_PATH);
        for (const std::string& argument : arguments) command += " " + ShellQuoted(argument);
        const std::string out = streams.File("stdout");
        const std::string err = streams.File("stderr");
        command += " >" + ShellQuoted(out) + " 2>" + ShellQuoted(err) + " <" + ShellQuoted(standardInput);
        const int raw = std::system(command.c_str());
        const std::vector<uint8_t> outBytes = ReadFileBytes(out);
        const std::vector<uint8_t> errBytes = ReadFileBytes(err);
        return ToolRun{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, std::string(outBytes.begin(), outBytes.end()),
                       std::string(errBytes.begin(), errBytes.end())};
    }

    // What the tool must write: the library's own load, mosaics in order, save.
    std::vector<uint8_t> Expected(const std::string& input, const std::vector<std::vector<int32_t>>& rectangles,
                                  int32_t cell) {
        BmpImage image;
        EXPECT_TRUE(image.LoadFile(input.c_str()));
        for (const auto& r : rectangles) PixelateBlocksWithStride(image, r[0], r[1], r[2], r[3], cell);
        const std::string want = streams.File("want.bmp");
        EXPECT_TRUE(image.SaveFile(want.c_str()));
        return ReadFileBytes(want);
    }

    // What the single-file command writes for this input and rectangle.
    std::vector<uint8_t> SingleFileResult(const std::string& input, const std::vector<std::string>& corners) {
        const std::string single = streams.File("single.bmp");
        std::vector<std::string> arguments = {"pixelate", input, single};
        arguments.insert(arguments.end(), corners.begin(), corners.end());
        EXPECT_EQ(Run(arguments).status, 0) << input;
        std::vector<uint8_t> bytes = ReadFileBytes(single);
        std::filesystem::remove(single);
        return bytes;
    }

    TempFolder folder;
    TempFolder streams;
};

TEST_F(ToolTest, HelpAndVersionGoToStandardOutput) {
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        const char* outPart;
    };
    const Case cases[] = {
        {"--help", {"--help"}, "usage: rastero pixelate INPUT OUTPUT LEFT TOP RIGHT BOTTOM"},
        {"help", {"help"}, "exit status: 0 success, 1 an input cannot be loaded, 2 usage error"},
        {"pixelate --help", {"pixelate", "--help"}, "--cell N        distance between blocks"},
        {"info --help", {"info", "--help"}, "--json"},
        {"rescale --help", {"rescale", "--help"}, "268435456 pixels and 89478485 columns; a larger one\nis refused with exit status 4.\n"},
        {"batch in the tool's usage", {"--help"}, "rastero pixelate --list FILE [--jobs N] [--cell N]"},
        {"--version", {"--version"}, "rastero 1.0.0\n"},
    };
    for (const Case& c : cases) {
        const ToolRun run = Run(c.arguments);
        EXPECT_EQ(run.status, 0) << c.name;
        EXPECT_TRUE(Contains(run.out, c.outPart)) << c.name << ": have \"" << run.out << "\"";
        EXPECT_EQ(run.err, "") << c.name;
    }
}

TEST_F(ToolTest, UsageErrorsExitWithTwoAndWriteNothing) {
    const std::string input = folder.File("in.bmp");
    ASSERT_TRUE(SavePatternImage(input, 30, 30, 24));
    const std::string output = folder.File("out.bmp");
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        const char* errPart;
    };
    const Case cases[] = {
        {"no arguments", {}, "rastero: no command given\nusage: rastero pixelate"},
        {"unknown command", {"blur", input}, "rastero: unknown command \"blur\""},
        {"missing numbers", {"pixelate", input, output, "1", "2"}, "expected INPUT OUTPUT LEFT TOP RIGHT BOTTOM"},
        {"bad number", {"pixelate", input, output, "1", "2", "x3", "4"}, "RIGHT must be a whole number"},
        {"both rectangle forms", {"pixelate", input, output, "1", "2", "3", "4", "--rect", "0,0,9,9"},
         "give one or the other"},
        {"bad cell", {"pixelate", input, output, "1", "2", "3", "4", "--cell", "0"}, "--cell needs a whole number"},
        {"unknown option", {"pixelate", input, output, "1", "2", "3", "4", "--blur"}, "unknown option \"--blur\""},
        {"info without files", {"info"}, "usage: rastero info [--json] FILE..."},
    };
    for (const Case& c : cases) {
        const ToolRun run = Run(c.arguments);
        EXPECT_EQ(run.status, 2) << c.name;
        EXPECT_TRUE(Contains(run.err, c.errPart)) << c.name << ": have \"" << run.err << "\", want \"" << c.errPart << "\"";
        EXPECT_EQ(run.out, "") << c.name;
        EXPECT_FALSE(FileExists(output)) << c.name;
    }
}

TEST_F(ToolTest, PixelatesSilentlyLikeTheExport) {
    for (const int32_t depth : {1, 4, 8, 16, 24, 32}) {
        const std::string input = folder.File("in" + std::to_string(depth) + ".bmp");
        const std::string output = folder.File("out" + std::to_string(depth) + ".bmp");
        ASSERT_TRUE(SavePatternImage(input, 70, 45, depth));
        const ToolRun run = Run({"pixelate", input, output, "-5", "4", "50", "30"});
        EXPECT_EQ(run.status, 0) << depth << " bits: " << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(ReadFileBytes(output), Expected(input, {{-5, 4, 50, 30}}, 20)) << depth << " bits";
    }
}

TEST_F(ToolTest, SeveralRectanglesInOrderWithAnotherCell) {
    const std::string input = folder.File("in.bmp");
    const std::string output = folder.File("out.bmp");
    ASSERT_TRUE(SavePatternImage(input, 90, 60, 24));
    const ToolRun run = Run({"pixelate", "--cell", "7", input, "--rect", "0,0,40,30", output, "--rect=20,10,85,55"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFileBytes(output), Expected(input, {{0, 0, 40, 30}, {20, 10, 85, 55}}, 7));
}

TEST_F(ToolTest, KeepsDepthPaletteAndResolution) {
    BmpImage source;
    ASSERT_TRUE(source.Resize(33, 21));
    ASSERT_TRUE(source.SetDepth(4));
    for (int32_t i = 0; i < 16; ++i) {
        source.SetPaletteColor(i, BmpPixel{static_cast<uint8_t>(i * 16), 40, static_cast<uint8_t>(255 - i * 9), 0});
    }
    for (int32_t x = 0; x < 33; ++x)
        for (int32_t y = 0; y < 21; ++y) source.PutPixel(x, y, source.PaletteColor((x + y) % 16));
    source.SetPixelsPerMeter(2835, 1417);
    const std::string input = folder.File("in.bmp");
    const std::string output = folder.File("out.bmp");
    ASSERT_TRUE(source.SaveFile(input.c_str()));
    ASSERT_EQ(Run({"pixelate", input, output, "0", "0", "33", "21"}).status, 0);
    BmpImage result;
    ASSERT_TRUE(result.LoadFile(output.c_str()));
    EXPECT_EQ(result.GetDepth(), 4);
    EXPECT_EQ(result.GetXPixelsPerMeter(), 2835);
    EXPECT_EQ(result.GetYPixelsPerMeter(), 1417);
    for (int32_t i = 0; i < 16; ++i) EXPECT_EQ(result.PaletteColor(i), source.PaletteColor(i)) << "entry " << i;
}

TEST_F(ToolTest, RefusedInputsExitWithOneAndSayWhy) {
    WriteFileBytes(folder.File("empty.bmp"), {});
    WriteFileBytes(folder.File("notes.txt"), {'h', 'e', 'l', 'l', 'o', '\n'});
    WriteFileBytes(folder.File("cut.bmp"), std::vector<uint8_t>{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0});
    std::filesystem::create_directory(folder.File("pictures"));
    struct Case {
        const char* name;
        std::string input;
        const char* reason;
    };
    const Case cases[] = {
        {"missing", folder.File("missing.bmp"), "the file does not exist"},
        {"folder", folder.File("pictures"), "it is a folder, not a file"},
        {"empty", folder.File("empty.bmp"), "the file is empty"},
        {"not a BMP", folder.File("notes.txt"), "it is not a BMP file"},
        {"cut inside the headers", folder.File("cut.bmp"), "the file ends inside its headers (16 bytes"},
        {"run-length", suite + "g/pal8rle.bmp",
         "it is a compressed (run-length encoded) bitmap, which is not supported"},
        {"top-down", suite + "g/pal8topdown.bmp", "it is a top-down bitmap"},
        {"bit depth", suite + "b/badbitcount.bmp", "its bit depth of 30000 bits per pixel is not supported"},
        {"too large", suite + "b/reallybig.bmp", "its dimensions 3000000 x 2000000 are too large"},
        {"negative width", suite + "b/badwidth.bmp", "its dimensions -127 x 64 are not those of a picture"},
        {"masks at 32 bits", suite + "g/rgb32bf.bmp",
         "it uses colour masks (BI_BITFIELDS) at 32 bits per pixel, which are supported at 16 bits only"},
        {"embedded JPEG", suite + "q/rgb24jpeg.bmp", "it holds a JPEG picture inside a BMP header"},
        {"OS/2 header", suite + "g/pal8os2.bmp", "it has a 12-byte info header (OS/2 style)"},
    };
    const std::string output = folder.File("out.bmp");
    for (const Case& c : cases) {
        const ToolRun run = Run({"pixelate", c.input, output, "0", "0", "20", "20"});
        EXPECT_EQ(run.status, 1) << c.name;
        const std::string want = "rastero: cannot load \"" + c.input + "\": " + c.reason;
        EXPECT_TRUE(Contains(run.err, want)) << c.name << ": have \"" << run.err << "\", want \"" << want << "\"";
        EXPECT_EQ(run.out, "") << c.name;
        EXPECT_FALSE(FileExists(output)) << c.name;
    }
}

TEST_F(ToolTest, UnwritableOutputsExitWithThree) {
    const std::string input = folder.File("in.bmp");
    ASSERT_TRUE(SavePatternImage(input, 30, 30, 24));
    std::filesystem::create_directory(folder.File("pictures"));
    struct Case {
        const char* name;
        std::string output;
        std::string reason;
    };
    const Case cases[] = {
        {"missing folder", folder.File("nowhere/out.bmp"), "the folder \"" + folder.File("nowhere") + "\" does not exist"},
        {"output is a folder", folder.File("pictures"), "it is a folder"},
        {"folder is a file", folder.File("in.bmp/out.bmp"), "\"" + input + "\" is not a folder"},
    };
    for (const Case& c : cases) {
        const ToolRun run = Run({"pixelate", input, c.output, "0", "0", "20", "20"});
        EXPECT_EQ(run.status, 3) << c.name;
        const std::string want = "rastero: cannot write \"" + c.output + "\": " + c.reason;
        EXPECT_TRUE(Contains(run.err, want)) << c.name << ": have \"" << run.err << "\", want \"" << want << "\"";
    }
    EXPECT_FALSE(FileExists(folder.File("nowhere")));
}

TEST_F(ToolTest, RescalesLikeTheLibraryAndRefusesWhatItCannotDo) {
    const std::string input = folder.File("in.bmp");
    ASSERT_TRUE(SavePatternImage(input, 37, 23, 8));
    std::filesystem::create_directory(folder.File("pictures"));
    enum class Outcome { Written, Refused };
    struct Case {
        const char* name;
        std::string input;
        std::string output;
        const char* mode;
        const char* size;
        int status;
        Outcome outcome;
        std::string errPart;
    };
    const std::string out = folder.File("out.bmp");
    const Case cases[] = {
        {"percentage", input, out, "P", "150", 0, Outcome::Written, ""},
        {"longer side, lower case", input, out, "f", "17", 0, Outcome::Written, ""},
        {"a side below 1 becomes 1", input, out, "W", "-3", 0, Outcome::Written, ""},
        {"unknown mode, as typed", input, out, "x", "50", 2, Outcome::Refused,
         "Rastero Error: Unknown rescale mode x requested\nusage: rastero rescale INPUT OUTPUT MODE SIZE\n"},
        {"the mode is judged before the input", folder.File("missing.bmp"), out, "q", "50", 2, Outcome::Refused,
         "Rastero Error: Unknown rescale mode q requested\n"},
        {"too large", input, out, "P", "2000000000", 4, Outcome::Refused,
         "rastero: cannot rescale \"" + input + "\": the requested size is too large"},
        {"missing input", folder.File("missing.bmp"), out, "P", "50", 1, Outcome::Refused,
         "rastero: cannot load \"" + folder.File("missing.bmp") + "\": the file does not exist"},
        {"output is a folder", input, folder.File("pictures"), "P", "50", 3, Outcome::Refused,
         "rastero: cannot write \"" + folder.File("pictures") + "\": it is a folder"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(out);
        const ToolRun run = Run({"rescale", c.input, c.output, c.mode, c.size});
        EXPECT_EQ(run.status, c.status) << c.name << ": " << run.err;
        EXPECT_TRUE(Contains(run.err, c.errPart)) << c.name << ": have \"" << run.err << "\", want \"" << c.errPart
                                                  << "\"";
        EXPECT_EQ(run.out, "") << c.name;
        if (c.outcome == Outcome::Refused) {
            EXPECT_FALSE(FileExists(out)) << c.name;
            continue;
        }
        EXPECT_EQ(run.err, "") << c.name;
        BmpImage want;
        ASSERT_TRUE(want.LoadFile(input.c_str()));
        ASSERT_TRUE(RescaleImage(want, c.mode[0], std::stoi(c.size))) << c.name;
        const std::string wantFile = streams.File("want.bmp");
        ASSERT_TRUE(want.SaveFile(wantFile.c_str()));
        EXPECT_EQ(ReadFileBytes(out), ReadFileBytes(wantFile)) << c.name;
        EXPECT_EQ(DepthOfFile(out.c_str()), 24) << c.name;
    }
}

TEST_F(ToolTest, BatchTriesEveryFileAndExitsWithTheWorst) {
    struct Good {
        std::string input;
        std::string output;
        std::vector<std::string> corners;
    };
    std::vector<Good> good;
    std::string list = "# a batch with good and bad files\n";
    const int32_t depths[] = {1, 4, 8, 16, 24, 32};
    for (int32_t i = 0; i < 6; ++i) {
        const std::string input = folder.File("in " + std::to_string(i) + ".bmp");
        ASSERT_TRUE(SavePatternImage(input, 40 + i, 30, depths[i], i));
        good.push_back({input, folder.File("out " + std::to_string(i) + ".bmp"),
                        {std::to_string(i), "2", "35", std::to_string(20 + i)}});
        list += "\"" + input + "\"\t\"" + good.back().output + "\"\t" + std::to_string(i) + " 2 35 " +
                std::to_string(20 + i) + "\n";
    }
    WriteFileBytes(folder.File("notes.txt"), {'h', 'i', '\n'});
    const std::string missing = folder.File("missing.bmp");
    const std::string unwritable = folder.File("nowhere/out.bmp");
    list += "\n" + missing + " " + folder.File("out-missing.bmp") + " 0 0 5 5\n";
    list += folder.File("notes.txt") + " " + folder.File("out-notes.bmp") + " 0 0 5 5\n";
    list += "\"" + good[0].input + "\" " + unwritable + " 0 0 5 5\n";
    const std::string listFile = folder.File("list.txt");
    WriteFileBytes(listFile, std::vector<uint8_t>(list.begin(), list.end()));

    const ToolRun run = Run({"pixelate", "--jobs", "3", "--list", listFile});
    EXPECT_EQ(run.status, 3) << "a write failure is worse than a load failure: " << run.err;
    EXPECT_EQ(run.out, "");
    for (const Good& g : good) {
        EXPECT_EQ(ReadFileBytes(g.output), SingleFileResult(g.input, g.corners)) << g.input;
    }
    for (const std::string& part :
         {"rastero: cannot load \"" + missing + "\": the file does not exist\n",
          "rastero: cannot load \"" + folder.File("notes.txt") + "\": it is not a BMP file",
          "rastero: cannot write \"" + unwritable + "\": the folder",
          "rastero: 3 of 9 files failed:\n  cannot load \"" + missing + "\"\n  cannot load \"" +
              folder.File("notes.txt") + "\"\n  cannot write \"" + unwritable + "\"\n"}) {
        EXPECT_TRUE(Contains(run.err, part)) << "want \"" << part << "\" in \"" << run.err << "\"";
    }
    EXPECT_FALSE(FileExists(folder.File("out-missing.bmp")));
    EXPECT_FALSE(Contains(run.err, "\r")) << "no progress line when stderr is a file";
}

TEST_F(ToolTest, BatchResultsDoNotDependOnTheNumberOfThreads) {
    std::filesystem::create_directory(folder.File("one"));
    std::filesystem::create_directory(folder.File("four"));
    std::string one;
    std::string four;
    for (int32_t i = 0; i < 12; ++i) {
        const std::string name = "p" + std::to_string(i) + ".bmp";
        ASSERT_TRUE(SavePatternImage(folder.File(name), 50, 20 + i, i % 2 ? 8 : 24, i));
        const std::string rectangle = " " + std::to_string(i) + " 0 " + std::to_string(30 + i) + " 40\n";
        one += folder.File(name) + " " + folder.File("one/" + name) + rectangle;
        four += folder.File(name) + " " + folder.File("four/" + name) + rectangle;
    }
    const std::string oneList = folder.File("one.txt");
    const std::string fourList = folder.File("four.txt");
    WriteFileBytes(oneList, std::vector<uint8_t>(one.begin(), one.end()));
    WriteFileBytes(fourList, std::vector<uint8_t>(four.begin(), four.end()));
    ASSERT_EQ(Run({"pixelate", "--jobs=1", "--cell", "6", "--list", oneList}).status, 0);
    const ToolRun fromStandardInput = Run({"pixelate", "--jobs", "4", "--cell", "6", "--list", "-"}, fourList);
    ASSERT_EQ(fromStandardInput.status, 0) << fromStandardInput.err;
    EXPECT_EQ(fromStandardInput.err, "");
    for (int32_t i = 0; i < 12; ++i) {
        const std::string name = "p" + std::to_string(i) + ".bmp";
        const std::vector<uint8_t> bytes = ReadFileBytes(folder.File("one/" + name));
        EXPECT_FALSE(bytes.empty()) << name;
        EXPECT_EQ(bytes, ReadFileBytes(folder.File("four/" + name))) << name;
    }
}

TEST_F(ToolTest, BatchIntoAFolderKeepsTheFileNames) {
    std::filesystem::create_directory(folder.File("in"));
    std::filesystem::create_directory(folder.File("out"));
    const std::string first = folder.File("in/first.bmp");
    const std::string second = folder.File("in/second image.bmp");
    ASSERT_TRUE(SavePatternImage(first, 60, 40, 24, 1));
    ASSERT_TRUE(SavePatternImage(second, 45, 50, 4, 2));
    const ToolRun run = Run({"pixelate", "--output-dir", folder.File("out"), "--rect", "5,5,40,30", first, second});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFileBytes(folder.File("out/first.bmp")), SingleFileResult(first, {"5", "5", "40", "30"}));
    EXPECT_EQ(ReadFileBytes(folder.File("out/second image.bmp")), SingleFileResult(second, {"5", "5", "40", "30"}));
}

TEST_F(ToolTest, BatchUsageErrorsRunNothing) {
    const std::string input = folder.File("in.bmp");
    ASSERT_TRUE(SavePatternImage(input, 30, 30, 24));
    std::filesystem::create_directory(folder.File("other"));
    ASSERT_TRUE(SavePatternImage(folder.File("other/in.bmp"), 30, 30, 24));
    const std::string out = folder.File("out.bmp");
    const auto writeList = [this](const std::string& name, const std::string& text) {
        WriteFileBytes(folder.File(name), std::vector<uint8_t>(text.begin(), text.end()));
        return folder.File(name);
    };
    const std::string badLine = writeList("bad.txt", input + " " + out + " 0 0 9 9\n" + input + " x.bmp 0 0 9\n");
    const std::string twice =
        writeList("twice.txt", input + " " + out + " 0 0 9 9\n" + input + " " + folder.File("./out.bmp") + " 1 1 9 9\n");
    const std::string chained =
        writeList("chained.txt", input + " " + out + " 0 0 9 9\n" + out + " " + folder.File("b.bmp") + " 1 1 9 9\n");
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        std::string errPart;
    };
    const Case cases[] = {
        {"bad line", {"pixelate", "--list", badLine},
         "rastero: \"" + badLine + "\", line 2: expected INPUT OUTPUT LEFT TOP RIGHT BOTTOM, found 5 fields"},
        {"one output twice", {"pixelate", "--list", twice}, "is the output of two jobs"},
        {"an output read by another job", {"pixelate", "--list", chained}, "run them in two batches"},
        {"missing list", {"pixelate", "--list", folder.File("none.txt")}, "cannot read the list"},
        {"missing output folder", {"pixelate", "--output-dir", folder.File("nowhere"), "--rect", "0,0,9,9", input},
         "the output folder \"" + folder.File("nowhere") + "\" does not exist"},
        {"two inputs of one name", {"pixelate", "--output-dir", folder.Path(), "--rect", "0,0,9,9", input,
                                    folder.File("other/in.bmp")}, "is the output of two jobs"},
    };
    const std::vector<uint8_t> original = ReadFileBytes(input);
    for (const Case& c : cases) {
        const ToolRun run = Run(c.arguments);
        EXPECT_EQ(run.status, 2) << c.name;
        EXPECT_TRUE(Contains(run.err, c.errPart)) << c.name << ": have \"" << run.err << "\", want \"" << c.errPart
                                                  << "\"";
        EXPECT_TRUE(Contains(run.err, "usage: rastero pixelate")) << c.name;
        EXPECT_FALSE(FileExists(out)) << c.name;
        EXPECT_EQ(ReadFileBytes(input), original) << c.name;
    }
}

TEST_F(ToolTest, InfoAsJsonGivesOneObjectPerFile) {
    const std::string first = folder.File("a \"quoted\" name.bmp");
    const std::string second = folder.File("b.bmp");
    ASSERT_TRUE(SavePatternImage(first, 5, 2, 24));
    ASSERT_TRUE(SavePatternImage(second, 3, 2, 16));
    const ToolRun run = Run({"info", "--json", first, second});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    const std::string quotedFirst = folder.File("a \\\"quoted\\\" name.bmp");
    EXPECT_EQ(run.out,
              "{\"file\": \"" + quotedFirst + "\", \"fileHeader\": {\"bfType\": 19778, \"bfSize\": 86, "
              "\"bfReserved1\": 0, \"bfReserved2\": 0, \"bfOffBits\": 54}, \"infoHeader\": {\"biSize\": 40, "
              "\"biWidth\": 5, \"biHeight\": 2, \"biPlanes\": 1, \"biBitCount\": 24, \"biCompression\": 0, "
              "\"biSizeImage\": 32, \"biXPelsPerMeter\": 3780, \"biYPelsPerMeter\": 3780, \"biClrUsed\": 0, "
              "\"biClrImportant\": 0}, \"depth\": 24}\n"
              "{\"file\": \"" + second + "\", \"fileHeader\": {\"bfType\": 19778, \"bfSize\": 82, "
              "\"bfReserved1\": 0, \"bfReserved2\": 0, \"bfOffBits\": 66}, \"infoHeader\": {\"biSize\": 40, "
              "\"biWidth\": 3, \"biHeight\": 2, \"biPlanes\": 1, \"biBitCount\": 16, \"biCompression\": 3, "
              "\"biSizeImage\": 16, \"biXPelsPerMeter\": 3780, \"biYPelsPerMeter\": 3780, \"biClrUsed\": 0, "
              "\"biClrImportant\": 0}, \"depth\": 16}\n");
}

TEST_F(ToolTest, InfoAsTextShowsTheFieldsAndWhetherTheFileLoads) {
    const std::string input = folder.File("in.bmp");
    ASSERT_TRUE(SavePatternImage(input, 5, 2, 24));
    const ToolRun run = Run({"info", input, suite + "g/pal8topdown.bmp"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    for (const char* part : {"  file header\n    bfType           0x4D42 (\"BM\")\n    bfSize           86\n",
                             "    biWidth          5\n    biHeight         2\n",
                             "    biCompression    0 (BI_RGB)\n", "  depth 24 bits per pixel\n  can be pixelated\n",
                             "    biHeight         -64\n", "cannot be pixelated: it is a top-down bitmap"}) {
        EXPECT_TRUE(Contains(run.out, part)) << "want \"" << part << "\" in \"" << run.out << "\"";
    }
}

TEST_F(ToolTest, InfoGoesOnPastFilesItCannotRead) {
    const std::string good = folder.File("good.bmp");
    const std::string missing = folder.File("missing.bmp");
    const std::string text = folder.File("notes.txt");
    ASSERT_TRUE(SavePatternImage(good, 4, 4, 8));
    WriteFileBytes(text, std::vector<uint8_t>(100, 'x'));
    const ToolRun run = Run({"info", "--json", missing, good, text});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.out, "\"biBitCount\": 8")) << run.out;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1);
    EXPECT_TRUE(Contains(run.err, "rastero: cannot read the headers of \"" + missing + "\": the file does not exist"))
        << run.err;
    EXPECT_TRUE(Contains(run.err, "rastero: cannot read the headers of \"" + text + "\": it is not a BMP file"))
        << run.err;
}

}  // namespace
}  // namespace rastero
