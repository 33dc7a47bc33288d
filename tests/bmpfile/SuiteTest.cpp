#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/bmpfile/LoadExpectation.h"

// The public BMP test suite: every file loads or is refused as its manifest says, without a
// sanitizer report, and decodes to the pixels an independent decoder gives.

namespace rastero {
namespace {

const std::string SuiteDir = RASTERO_BMPSUITE_DIR;

struct SuiteEntry {
    std::string path;
    int32_t width, height, depth;
    bool accept;
    std::string compare;
};

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream stream(line);
    std::string field;
    while (std::getline(stream, field, '\t')) fields.push_back(field);
    return fields;
}

std::vector<SuiteEntry> ReadManifest() {
    std::ifstream in(SuiteDir + "/manifest.tsv");
    std::string line;
    std::getline(in, line);
    const std::vector<std::string> header = SplitTabs(line);
    const auto column = [&](const std::string& name) {
        return static_cast<size_t>(std::find(header.begin(), header.end(), name) - header.begin());
    };
    std::vector<SuiteEntry> entries;
    while (std::getline(in, line)) {
        const std::vector<std::string> f = SplitTabs(line);
        if (f.size() <= column("compare")) continue;
        entries.push_back({f[column("path")], std::stoi(f[column("width")]), std::stoi(f[column("height")]),
                           std::stoi(f[column("bitcount")]), f[column("expect")] == "accept", f[column("compare")]});
    }
    return entries;
}

void ExpectPixelsMatch(const BmpImage& image, const SuiteEntry& entry) {
    const std::string name = entry.path.substr(0, entry.path.size() - 4);
    const Bytes want = ReadFileBytes(SuiteDir + "/expected/" + name + ".rgb");
    ASSERT_EQ(want.size(), size_t{3} * image.GetWidth() * image.GetHeight()) << entry.path;
    const int tolerance = entry.compare == "within7" ? 7 : 0;
    size_t at = 0;
    for (int32_t y = 0; y < image.GetHeight(); ++y) {
        for (int32_t x = 0; x < image.GetWidth(); ++x, at += 3) {
            const BmpPixel have = image.PixelAt(x, y);
            const int differences[] = {have.red - want[at], have.green - want[at + 1], have.blue - want[at + 2]};
            for (int difference : differences) {
                if (std::abs(difference) > tolerance) {
                    FAIL() << entry.path << ": pixel (" << x << ", " << y << "): have " << have << ", want r"
                           << int(want[at]) << " g" << int(want[at + 1]) << " b" << int(want[at + 2]);
                }
            }
        }
    }
}

TEST(SuiteTest, EveryFileGivesTheOutcomeAndPixelsOfTheManifest) {
    const std::vector<SuiteEntry> entries = ReadManifest();
    ASSERT_EQ(entries.size(), 88u);
    for (const SuiteEntry& entry : entries) {
        BmpImage image;
        const bool loaded = image.LoadFile((SuiteDir + "/" + entry.path).c_str());
        ASSERT_EQ(loaded, entry.accept) << entry.path << ": have " << loaded << ", want " << entry.accept;
        if (!entry.accept) {
            const ImageState have = StateOf(image);
            ExpectState(have, FallbackState(have.xPixelsPerMeter, have.yPixelsPerMeter), entry.path);
            continue;
        }
        EXPECT_EQ(image.GetWidth(), entry.width) << entry.path;
        EXPECT_EQ(image.GetHeight(), entry.height) << entry.path;
        EXPECT_EQ(image.GetDepth(), entry.depth) << entry.path;
        if (entry.compare != "none") ExpectPixelsMatch(image, entry);
    }
}

TEST(SuiteTest, ShortFileKeepsItsUpperRowsWhite) {
    BmpImage image;
    ASSERT_TRUE(image.LoadFile((SuiteDir + "/b/shortfile.bmp").c_str()));
    // 13 of 64 rows arrive, bottom first.
    for (int32_t x = 0; x < image.GetWidth(); ++x) EXPECT_EQ(image.PixelAt(x, 50), WhitePixel) << x;
    EXPECT_EQ(image.PixelAt(0, 63), image.PaletteColor(0)) << "the bottom row is decoded";
}

// A checksum of everything a load leaves, one line per file, kept in a reviewed file: any change
// of behaviour on the suite shows as a diff. Set RASTERO_UPDATE_GOLDEN=1 to write it anew.
uint64_t Checksum(const ImageState& state) {
    uint64_t hash = 1469598103934665603u;
    const auto add = [&hash](const BmpPixel& p) {
        for (uint8_t byte : {p.blue, p.green, p.red, p.alpha}) hash = (hash ^ byte) * 1099511628211u;
    };
    for (const BmpPixel& p : state.palette) add(p);
    for (const BmpPixel& p : state.pixels) add(p);
    return hash;
}

TEST(SuiteTest, GoldenTable) {
    std::ostringstream table;
    table << "path\tresult\tsize\tresolution\tchecksum\n";
    for (const SuiteEntry& entry : ReadManifest()) {
        BmpImage image;
        const bool loaded = image.LoadFile((SuiteDir + "/" + entry.path).c_str());
        const ImageState state = StateOf(image);
        table << entry.path << '\t' << (loaded ? "accept" : "reject") << '\t' << state.width << 'x' << state.height
              << 'x' << state.depth << '\t' << state.xPixelsPerMeter << 'x' << state.yPixelsPerMeter << '\t'
              << std::hex << Checksum(state) << std::dec << '\n';
    }
    const std::string golden = RASTERO_GOLDEN_FILE;
    if (std::getenv("RASTERO_UPDATE_GOLDEN")) {
        std::ofstream(golden) << table.str();
        GTEST_SKIP() << "wrote " << golden;
    }
    const Bytes want = ReadFileBytes(golden);
    EXPECT_EQ(table.str(), std::string(want.begin(), want.end()));
}

}  // namespace
}  // namespace rastero
