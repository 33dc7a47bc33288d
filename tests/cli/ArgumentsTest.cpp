#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "cli/Arguments.h"

namespace rastero::cli {

bool operator==(const Rectangle& a, const Rectangle& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::ostream& operator<<(std::ostream& out, const Rectangle& r) {
    return out << r.left << "," << r.top << "," << r.right << "," << r.bottom;
}

namespace {

using Arguments = std::vector<std::string>;

TEST(ArgumentsTest, ParsesWholeNumbersOnly) {
    struct Case {
        const char* text;
        bool ok;
        int32_t value;
    };
    const Case cases[] = {
        {"0", true, 0},           {"42", true, 42},         {"-7", true, -7},
        {"+7", true, 7},          {"2147483647", true, INT32_MAX},
        {"-2147483648", true, INT32_MIN},                   {"2147483648", false, 0},
        {"-2147483649", false, 0}, {"", false, 0},          {"+", false, 0},
        {"-", false, 0},          {"+-1", false, 0},        {"1.5", false, 0},
        {" 1", false, 0},         {"1 ", false, 0},         {"0x10", false, 0},
        {"12abc", false, 0},
    };
    for (const Case& c : cases) {
        int32_t value = 0;
        EXPECT_EQ(ParseInt32(c.text, value), c.ok) << "\"" << c.text << "\"";
        if (c.ok) {
            EXPECT_EQ(value, c.value) << "\"" << c.text << "\": have " << value << ", want " << c.value;
        }
    }
}

TEST(ArgumentsTest, ParsesRectangles) {
    Rectangle r{};
    ASSERT_TRUE(ParseRectangle("1,-2,300,+4", r));
    EXPECT_EQ(r, (Rectangle{1, -2, 300, 4}));
    for (const char* bad : {"", "1,2,3", "1,2,3,4,5", "1,2,,4", "1;2;3;4", "1,2,3,4,", ",1,2,3,4", "a,b,c,d"}) {
        EXPECT_FALSE(ParseRectangle(bad, r)) << "\"" << bad << "\"";
    }
}

TEST(ArgumentsTest, PixelateJobs) {
    struct Case {
        const char* name;
        Arguments arguments;
        std::vector<Rectangle> rectangles;
        int32_t cell;
    };
    const Case cases[] = {
        {"positional rectangle", {"pixelate", "a.bmp", "b.bmp", "1", "2", "3", "4"}, {{1, 2, 3, 4}}, 20},
        {"negative numbers are not options", {"pixelate", "a.bmp", "b.bmp", "-10", "-20", "3", "4"},
         {{-10, -20, 3, 4}}, 20},
        {"cell before", {"pixelate", "--cell", "8", "a.bmp", "b.bmp", "1", "2", "3", "4"}, {{1, 2, 3, 4}}, 8},
        {"cell with equals", {"pixelate", "a.bmp", "b.bmp", "1", "2", "3", "4", "--cell=5"}, {{1, 2, 3, 4}}, 5},
        {"rects in order", {"pixelate", "a.bmp", "--rect", "0,0,10,10", "b.bmp", "--rect=5,5,9,9"},
         {{0, 0, 10, 10}, {5, 5, 9, 9}}, 20},
        {"after --", {"pixelate", "--", "--odd.bmp", "b.bmp", "1", "2", "3", "4"}, {{1, 2, 3, 4}}, 20},
    };
    for (const Case& c : cases) {
        const ParseResult result = ParseArguments(c.arguments);
        ASSERT_TRUE(result.ok) << c.name << ": " << result.error;
        ASSERT_EQ(result.command.kind, CommandKind::Pixelate) << c.name;
        const PixelateJob& job = result.command.pixelate;
        EXPECT_EQ(job.input, c.name == std::string("after --") ? "--odd.bmp" : "a.bmp") << c.name;
        EXPECT_EQ(job.output, "b.bmp") << c.name;
        EXPECT_EQ(job.rectangles, c.rectangles) << c.name;
        EXPECT_EQ(job.cell, c.cell) << c.name << ": have " << job.cell << ", want " << c.cell;
    }
}

TEST(ArgumentsTest, UsageErrorsNameTheProblem) {
    struct Case {
        const char* name;
        Arguments arguments;
        const char* errorPart;
        const char* topic;
    };
    const Case cases[] = {
        {"nothing", {}, "no command", ""},
        {"unknown command", {"blur", "a.bmp"}, "unknown command \"blur\"", ""},
        {"help for unknown command", {"help", "blur"}, "unknown command \"blur\"", ""},
        {"too few numbers", {"pixelate", "a.bmp", "b.bmp", "1", "2", "3"}, "expected INPUT OUTPUT LEFT", "pixelate"},
        {"too many numbers", {"pixelate", "a", "b", "1", "2", "3", "4", "5"}, "expected INPUT OUTPUT LEFT", "pixelate"},
        {"not a number", {"pixelate", "a", "b", "1", "two", "3", "4"}, "TOP must be a whole number", "pixelate"},
        {"number too large", {"pixelate", "a", "b", "1", "2", "3", "9999999999"}, "BOTTOM must be", "pixelate"},
        {"rect and positional", {"pixelate", "a", "b", "1", "2", "3", "4", "--rect", "1,2,3,4"},
         "give one or the other", "pixelate"},
        {"empty input", {"pixelate", "", "b", "1", "2", "3", "4"}, "must be file names, not empty", "pixelate"},
        {"empty output", {"pixelate", "a", "", "--rect", "1,2,3,4"}, "must be file names, not empty", "pixelate"},
        {"rect without output", {"pixelate", "a", "--rect", "1,2,3,4"}, "expected INPUT OUTPUT and", "pixelate"},
        {"bad rect", {"pixelate", "a", "b", "--rect", "1,2,3"}, "--rect needs four", "pixelate"},
        {"rect without value", {"pixelate", "a", "b", "--rect"}, "--rect needs four", "pixelate"},
        {"cell zero", {"pixelate", "a", "b", "1", "2", "3", "4", "--cell", "0"}, "--cell needs", "pixelate"},
        {"cell negative", {"pixelate", "a", "b", "1", "2", "3", "4", "--cell=-3"}, "--cell needs", "pixelate"},
        {"unknown pixelate option", {"pixelate", "a", "b", "1", "2", "3", "4", "--fast"}, "unknown option \"--fast\"",
         "pixelate"},
        {"jobs zero", {"pixelate", "--list", "l.txt", "--jobs", "0"}, "--jobs needs a whole number from 1 to 256",
         "pixelate"},
        {"jobs beyond the bound", {"pixelate", "--list", "l.txt", "--jobs=257"}, "--jobs needs", "pixelate"},
        {"list and files", {"pixelate", "--list", "l.txt", "a.bmp"}, "come from the list only", "pixelate"},
        {"list and rect", {"pixelate", "--list=l.txt", "--rect", "1,2,3,4"}, "come from the list only", "pixelate"},
        {"list without name", {"pixelate", "--list"}, "--list needs a file name", "pixelate"},
        {"list and folder", {"pixelate", "--list", "l.txt", "--output-dir", "out"}, "give one", "pixelate"},
        {"folder without rect", {"pixelate", "--output-dir", "out", "a.bmp"}, "needs --rect", "pixelate"},
        {"folder without inputs", {"pixelate", "--output-dir", "out", "--rect", "1,2,3,4"}, "at least one INPUT",
         "pixelate"},
        {"folder with empty input", {"pixelate", "--output-dir", "out", "--rect", "1,2,3,4", "a", ""},
         "INPUT must be a file name", "pixelate"},
        {"rescale too few", {"rescale", "a", "b", "P"}, "expected INPUT OUTPUT MODE SIZE", "rescale"},
        {"rescale empty output", {"rescale", "a", "", "P", "50"}, "must be file names, not empty", "rescale"},
        {"rescale mode of two letters", {"rescale", "a", "b", "PW", "50"}, "MODE must be one letter", "rescale"},
        {"rescale empty mode", {"rescale", "a", "b", "", "50"}, "MODE must be one letter", "rescale"},
        {"rescale bad size", {"rescale", "a", "b", "w", "5e3"}, "SIZE must be a whole number", "rescale"},
        {"rescale unknown option", {"rescale", "a", "b", "w", "5", "--fast"}, "unknown option", "rescale"},
        {"info without files", {"info", "--json"}, "at least one FILE", "info"},
        {"unknown info option", {"info", "-x", "a.bmp"}, "unknown option \"-x\"", "info"},
    };
    for (const Case& c : cases) {
        const ParseResult result = ParseArguments(c.arguments);
        ASSERT_FALSE(result.ok) << c.name;
        EXPECT_NE(result.error.find(c.errorPart), std::string::npos)
            << c.name << ": have \"" << result.error << "\", want it to contain \"" << c.errorPart << "\"";
        EXPECT_EQ(result.errorTopic, c.topic) << c.name;
    }
}

TEST(ArgumentsTest, UnknownRescaleModeInTheSystemsOwnWords) {
    for (const char* mode : {"x", "Q", "-", "1"}) {
        const ParseResult result = ParseArguments({"rescale", "a.bmp", "b.bmp", mode, "50"});
        ASSERT_FALSE(result.ok) << mode;
        EXPECT_TRUE(result.ownWords) << mode;
        const std::string want = std::string("Rastero Error: Unknown rescale mode ") + mode + " requested";
        EXPECT_EQ(result.error, want) << "have \"" << result.error << "\", want \"" << want << "\"";
    }
    // The mode is judged before the size.
    EXPECT_TRUE(ParseArguments({"rescale", "a.bmp", "b.bmp", "z", "many"}).ownWords);
}

TEST(ArgumentsTest, RescaleJobs) {
    struct Case {
        const char* name;
        Arguments arguments;
        char mode;
        int32_t size;
    };
    const Case cases[] = {
        {"percentage", {"rescale", "a.bmp", "b.bmp", "P", "50"}, 'P', 50},
        {"lower case kept as typed", {"rescale", "a.bmp", "b.bmp", "f", "640"}, 'f', 640},
        {"negative size", {"rescale", "a.bmp", "b.bmp", "W", "-3"}, 'W', -3},
        {"after --", {"rescale", "--", "a.bmp", "b.bmp", "h", "+7"}, 'h', 7},
    };
    for (const Case& c : cases) {
        const ParseResult result = ParseArguments(c.arguments);
        ASSERT_TRUE(result.ok) << c.name << ": " << result.error;
        ASSERT_EQ(result.command.kind, CommandKind::Rescale) << c.name;
        const RescaleJob& job = result.command.rescale;
        EXPECT_EQ(job.input, "a.bmp") << c.name;
        EXPECT_EQ(job.output, "b.bmp") << c.name;
        EXPECT_EQ(job.mode, c.mode) << c.name << ": have " << job.mode << ", want " << c.mode;
        EXPECT_EQ(job.size, c.size) << c.name << ": have " << job.size << ", want " << c.size;
    }
}

TEST(ArgumentsTest, PixelateBatches) {
    const ParseResult list = ParseArguments({"pixelate", "--jobs", "3", "--list", "-", "--cell=9"});
    ASSERT_TRUE(list.ok) << list.error;
    ASSERT_EQ(list.command.kind, CommandKind::PixelateBatch);
    EXPECT_EQ(list.command.batch.listFile, "-");
    EXPECT_EQ(list.command.batch.threads, 3);
    EXPECT_EQ(list.command.batch.cell, 9);

    const ParseResult folder =
        ParseArguments({"pixelate", "--output-dir", "out", "a.bmp", "--rect", "1,2,3,4", "b.bmp", "--rect=5,6,7,8"});
    ASSERT_TRUE(folder.ok) << folder.error;
    ASSERT_EQ(folder.command.kind, CommandKind::PixelateBatch);
    const PixelateBatch& batch = folder.command.batch;
    EXPECT_EQ(batch.outputFolder, "out");
    EXPECT_EQ(batch.inputs, (std::vector<std::string>{"a.bmp", "b.bmp"}));
    EXPECT_EQ(batch.rectangles, (std::vector<Rectangle>{{1, 2, 3, 4}, {5, 6, 7, 8}}));
    EXPECT_EQ(batch.threads, 0) << "one thread per core unless told";
    EXPECT_EQ(batch.cell, 20);
}

TEST(ArgumentsTest, HelpVersionAndInfo) {
    struct Case {
        const char* name;
        Arguments arguments;
        CommandKind kind;
        const char* topic;
    };
    const Case cases[] = {
        {"--help", {"--help"}, CommandKind::Help, ""},
        {"-h", {"-h"}, CommandKind::Help, ""},
        {"help pixelate", {"help", "pixelate"}, CommandKind::Help, "pixelate"},
        {"help rescale", {"help", "rescale"}, CommandKind::Help, "rescale"},
        {"rescale --help", {"rescale", "a", "--help"}, CommandKind::Help, "rescale"},
        {"pixelate --help wins over errors", {"pixelate", "x", "--help"}, CommandKind::Help, "pixelate"},
        {"info -h", {"info", "-h"}, CommandKind::Help, "info"},
        {"--version", {"--version"}, CommandKind::Version, ""},
    };
    for (const Case& c : cases) {
        const ParseResult result = ParseArguments(c.arguments);
        ASSERT_TRUE(result.ok) << c.name << ": " << result.error;
        EXPECT_EQ(result.command.kind, c.kind) << c.name;
        EXPECT_EQ(result.command.topic, c.topic) << c.name;
    }
    const ParseResult info = ParseArguments({"info", "a.bmp", "--json", "b.bmp"});
    ASSERT_TRUE(info.ok);
    EXPECT_TRUE(info.command.info.json);
    EXPECT_EQ(info.command.info.files, (std::vector<std::string>{"a.bmp", "b.bmp"}));
}

}  // namespace
}  // namespace rastero::cli
