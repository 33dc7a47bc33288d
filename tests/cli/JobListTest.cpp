#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/JobList.h"
#include "tests/PatternFiles.h"

namespace rastero::cli {
namespace {

struct ListedJob {
    std::string input;
    std::string output;
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

std::string Describe(const std::vector<PixelateJob>& jobs) {
    std::string text;
    for (const PixelateJob& job : jobs) {
        const Rectangle& r = job.rectangles.at(0);
        text += "[" + job.input + "|" + job.output + "|" + std::to_string(r.left) + "," + std::to_string(r.top) +
                "," + std::to_string(r.right) + "," + std::to_string(r.bottom) + "]";
    }
    return text;
}

std::string Describe(const std::vector<ListedJob>& listed) {
    std::vector<PixelateJob> jobs;
    for (const ListedJob& j : listed) {
        jobs.push_back(PixelateJob{j.input, j.output, {{j.left, j.top, j.right, j.bottom}}, 20});
    }
    return Describe(jobs);
}

TEST(JobListTest, ReadsLines) {
    struct Case {
        const char* name;
        const char* text;
        std::vector<ListedJob> jobs;
    };
    const Case cases[] = {
        {"empty list", "", {}},
        {"one line, no final newline", "a.bmp b.bmp 1 2 3 4", {{"a.bmp", "b.bmp", 1, 2, 3, 4}}},
        {"tabs and runs of blanks", "\ta.bmp \t b.bmp  -1\t+2 3 4  \n", {{"a.bmp", "b.bmp", -1, 2, 3, 4}}},
        {"comments and blank lines", "# faces\n\n   \n  # indented comment\na b 0 0 9 9\n",
         {{"a", "b", 0, 0, 9, 9}}},
        {"a # inside a path is part of it", "a#1.bmp b#1.bmp 0 0 1 1\n", {{"a#1.bmp", "b#1.bmp", 0, 0, 1, 1}}},
        {"CR LF endings", "a b 1 2 3 4\r\nc d 5 6 7 8\r\n", {{"a", "b", 1, 2, 3, 4}, {"c", "d", 5, 6, 7, 8}}},
        {"quoted paths with spaces", "\"my photos/a 1.bmp\" \"out/a 1.bmp\" 0 0 5 5\n",
         {{"my photos/a 1.bmp", "out/a 1.bmp", 0, 0, 5, 5}}},
        {"escapes inside quotes", "\"say \\\"hi\\\".bmp\" \"back\\\\slash.bmp\" 0 0 1 1",
         {{"say \"hi\".bmp", "back\\slash.bmp", 0, 0, 1, 1}}},
        {"other backslashes stay, for Windows paths", "\"C:\\My Pictures\\a.bmp\" C:\\out\\a.bmp 0 0 1 1",
         {{"C:\\My Pictures\\a.bmp", "C:\\out\\a.bmp", 0, 0, 1, 1}}},
        {"numbers may be quoted too", "a b \"1\" 2 3 4", {{"a", "b", 1, 2, 3, 4}}},
    };
    for (const Case& c : cases) {
        std::istringstream text(c.text);
        std::vector<PixelateJob> jobs;
        std::string error;
        ASSERT_TRUE(ParseJobList(text, 7, jobs, error)) << c.name << ": " << error;
        EXPECT_EQ(Describe(jobs), Describe(c.jobs)) << c.name;
        for (const PixelateJob& job : jobs) EXPECT_EQ(job.cell, 7) << c.name;
    }
}

TEST(JobListTest, NamesTheFirstBadLine) {
    struct Case {
        const char* name;
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"too few fields", "a b 1 2 3 4\n# ok\na b 1 2 3\n", "line 3: expected INPUT OUTPUT LEFT TOP RIGHT BOTTOM, "
                                                           "found 5 fields"},
        {"too many fields", "a b 1 2 3 4 5", "line 1: expected INPUT OUTPUT LEFT TOP RIGHT BOTTOM, found 7 fields"},
        {"one field", "a.bmp", "found 1 field"},
        {"unquoted spaces in a path", "my photo.bmp out.bmp 0 0 1 1",
         "line 1: expected INPUT OUTPUT LEFT TOP RIGHT BOTTOM, found 7 fields; put a path with spaces in double quotes"},
        {"not a number", "a b 0 zero 1 1", "line 1: TOP must be a whole number"},
        {"number out of range", "a b 0 0 1 2147483648", "line 1: BOTTOM must be a whole number from -2147483648 to "
                                                       "2147483647, not \"2147483648\""},
        {"unclosed quote", "\"a b 0 0 1 1", "line 1: a quoted field has no closing quote"},
        {"text after a closing quote", "\"a\"x b 0 0 1 1", "line 1: a closing quote must end its field"},
        {"quote inside a field", "a\"b c 0 0 1 1", "line 1: a quote inside a field"},
        {"empty path", "\"\" b 0 0 1 1", "line 1: INPUT and OUTPUT must be file names, not empty"},
    };
    for (const Case& c : cases) {
        std::istringstream text(c.text);
        std::vector<PixelateJob> jobs;
        std::string error;
        ASSERT_FALSE(ParseJobList(text, 20, jobs, error)) << c.name;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.name << ": have \"" << error << "\", want \"" << c.error
                                                          << "\"";
    }
}

TEST(JobListTest, JobsMayNotMeetInOneFile) {
    TempFolder folder;
    const std::string a = folder.File("a.bmp");
    const std::string b = folder.File("b.bmp");
    const std::string sameAsB = folder.File("./sub/../b.bmp");
    struct Case {
        const char* name;
        std::vector<PixelateJob> jobs;
        const char* clash;
    };
    const Case cases[] = {
        {"independent", {{a, b, {}, 20}, {b + "2", a + "2", {}, 20}}, ""},
        {"in place is fine", {{a, a, {}, 20}, {b, b, {}, 20}}, ""},
        {"one output twice", {{a, b, {}, 20}, {a + "2", sameAsB, {}, 20}}, "is the output of two jobs"},
        {"one job reads another's output", {{a, b, {}, 20}, {sameAsB, a + "2", {}, 20}},
         "is the input of one job and the output of another"},
    };
    for (const Case& c : cases) {
        const std::string clash = ClashBetween(c.jobs);
        if (std::string(c.clash).empty()) {
            EXPECT_EQ(clash, "") << c.name;
        } else {
            EXPECT_NE(clash.find(c.clash), std::string::npos) << c.name << ": have \"" << clash << "\", want \""
                                                              << c.clash << "\"";
        }
    }
}

}  // namespace
}  // namespace rastero::cli
