// The tool's pieces called in this process, where a test can set the warnings switch or stand in
// for a terminal.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/BatchCommand.h"
#include "cli/InfoCommand.h"
#include "cli/Tool.h"
#include "ops/Warnings.h"
#include "tests/PatternFiles.h"

namespace rastero::cli {
namespace {

TEST(InProcessTest, JsonStringsAreValidUtf8WhateverTheFileName) {
    struct Case { const char* name; std::string text; std::string want; };
    const Case cases[] = {
        {"plain", "a b.bmp", "\"a b.bmp\""},
        {"quote, backslash and control", "a\"\\\n", "\"a\\\"\\\\\\u000a\""},
        {"accented and CJK kept", "caf\xC3\xA9/\xE5\x86\x99", "\"caf\xC3\xA9/\xE5\x86\x99\""},
        {"four-byte sequence kept", "\xF0\x9F\x98\x80", "\"\xF0\x9F\x98\x80\""},
        {"stray byte", "a\xFF" "b", "\"a\\ufffdb\""},
        {"cut sequence", "a\xE5\x86", "\"a\\ufffd\\ufffd\""},
        {"overlong slash", "\xC0\xAF", "\"\\ufffd\\ufffd\""},
        {"surrogate", "\xED\xA0\x80", "\"\\ufffd\\ufffd\\ufffd\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(JsonString(c.text), c.want) << c.name;
    }
}

TEST(InProcessTest, UnknownRescaleModeIsSilentWhileWarningsAreOff) {
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream errors;
    const ToolStreams streams{in, out, errors, false};
    const std::vector<std::string> arguments = {"rescale", "a.bmp", "b.bmp", "x", "50"};
    DisableWarnings();
    const ExitStatus silenced = RunTool(arguments, streams);
    EnableWarnings();
    EXPECT_EQ(silenced, ExitStatus::UsageError);
    EXPECT_EQ(errors.str(), "usage: rastero rescale INPUT OUTPUT MODE SIZE\nRun \"rastero rescale --help\" for more.\n");
    errors.str("");
    EXPECT_EQ(RunTool(arguments, streams), ExitStatus::UsageError);
    EXPECT_EQ(errors.str().rfind("Rastero Error: Unknown rescale mode x requested\nusage:", 0), 0u) << errors.str();
}

// With a terminal, the progress line is rewritten in place, cleared before each message and
// before the summary, so every message still starts a line of its own.
TEST(InProcessTest, ProgressLineMakesWayForMessages) {
    TempFolder folder;
    std::vector<PixelateJob> jobs;
    for (int32_t i = 0; i < 5; ++i) {
        const std::string input = folder.File("in" + std::to_string(i) + ".bmp");
        ASSERT_TRUE(SavePatternImage(input, 30, 30, 24, i));
        jobs.push_back(PixelateJob{input, folder.File("out" + std::to_string(i) + ".bmp"), {{0, 0, 20, 20}}, 20});
    }
    const std::string missing = folder.File("missing.bmp");
    jobs.push_back(PixelateJob{missing, folder.File("out.bmp"), {{0, 0, 20, 20}}, 20});
    std::ostringstream errors;
    EXPECT_EQ(RunJobs(jobs, 2, errors, true), ExitStatus::LoadFailed);
    const std::string text = errors.str();
    EXPECT_NE(text.find("rastero: 6 of 6 files done, 1 failed"), std::string::npos) << text;
    const std::string cleared = "\r" + std::string(std::string("rastero: 1 of 6 files done, 0 failed").size(), ' ') + "\r";
    const std::string message = "rastero: cannot load \"" + missing + "\": the file does not exist\n";
    const size_t at = text.find(message);
    ASSERT_NE(at, std::string::npos) << text;
    EXPECT_TRUE(at == 0 || text.compare(at - cleared.size(), cleared.size(), cleared) == 0) << text;
    const std::string summary = cleared + "rastero: 1 of 6 files failed:\n  cannot load \"" + missing + "\"\n";
    ASSERT_GE(text.size(), summary.size());
    EXPECT_EQ(text.substr(text.size() - summary.size()), summary);
}

}  // namespace
}  // namespace rastero::cli
