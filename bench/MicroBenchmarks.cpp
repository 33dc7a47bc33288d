// Micro-benchmarks for the hot paths of the main job, so that a regression shows where it is:
// the row decoders and encoders per depth, the pixelation and the colour matching.
#include <benchmark/benchmark.h>

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "image/BmpImage.h"
#include "ops/FileMosaic.h"
#include "ops/Pixelate.h"

namespace {

using rastero::BmpImage;
using rastero::FileMosaic;
using rastero::BmpPixel;

constexpr int32_t RowWidth = 8000;

int32_t RowStride(int32_t width, int32_t depth) {
    return static_cast<int32_t>(((int64_t{width} * depth + 31) / 32) * 4);
}

BmpImage& RowImage(int32_t depth) {
    static BmpImage images[33];
    BmpImage& image = images[depth];
    if (image.GetWidth() != RowWidth) {
        image.SetDepth(depth);
        image.Resize(RowWidth, 16);
        for (int32_t x = 0; x < RowWidth; ++x)
            for (int32_t y = 0; y < 16; ++y)
                image.PutPixel(x, y, image.HasPalette() ? image.PaletteColor((x * 7 + y) % image.PaletteSize())
                                                        : BmpPixel{uint8_t(x), uint8_t(y * 9), uint8_t(x ^ y), 0});
    }
    return image;
}

using Decoder = bool (BmpImage::*)(const uint8_t*, int32_t, int32_t);
using Encoder = bool (BmpImage::*)(uint8_t*, int32_t, int32_t) const;

void DecodeRow(benchmark::State& state, int32_t depth, Decoder decode) {
    BmpImage& image = RowImage(depth);
    const int32_t stride = RowStride(RowWidth, depth);
    std::vector<uint8_t> row(static_cast<size_t>(stride));
    for (size_t i = 0; i < row.size(); ++i) row[i] = static_cast<uint8_t>(i * 37);
    int32_t y = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize((image.*decode)(row.data(), stride, y));
        y = (y + 1) & 15;
    }
    state.SetItemsProcessed(state.iterations() * RowWidth);
}

void EncodeRow(benchmark::State& state, int32_t depth, Encoder encode) {
    BmpImage& image = RowImage(depth);
    const int32_t stride = RowStride(RowWidth, depth);
    std::vector<uint8_t> row(static_cast<size_t>(stride));
    int32_t y = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize((image.*encode)(row.data(), stride, y));
        y = (y + 1) & 15;
    }
    state.SetItemsProcessed(state.iterations() * RowWidth);
}

BENCHMARK_CAPTURE(DecodeRow, 1, 1, &BmpImage::DecodeRow1);
BENCHMARK_CAPTURE(DecodeRow, 4, 4, &BmpImage::DecodeRow4);
BENCHMARK_CAPTURE(DecodeRow, 8, 8, &BmpImage::DecodeRow8);
BENCHMARK_CAPTURE(DecodeRow, 24, 24, &BmpImage::DecodeRow24);
BENCHMARK_CAPTURE(DecodeRow, 32, 32, &BmpImage::DecodeRow32);
BENCHMARK_CAPTURE(EncodeRow, 1, 1, &BmpImage::EncodeRow1);
BENCHMARK_CAPTURE(EncodeRow, 4, 4, &BmpImage::EncodeRow4);
BENCHMARK_CAPTURE(EncodeRow, 8, 8, &BmpImage::EncodeRow8);
BENCHMARK_CAPTURE(EncodeRow, 24, 24, &BmpImage::EncodeRow24);
BENCHMARK_CAPTURE(EncodeRow, 32, 32, &BmpImage::EncodeRow32);

// Whole files, so the 16-bit path (which has no row routine of its own), the block reads and
// writes and the first touch of fresh storage show too. 2000 x 1500, in the system's temporary
// folder.
std::string BenchFile(int32_t depth) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("rastero_bench_" + std::to_string(depth) + ".bmp");
    return path.string();
}

BmpImage& FileImage(int32_t depth) {
    static BmpImage images[33];
    BmpImage& image = images[depth];
    if (image.GetWidth() != 2000) {
        image.SetDepth(depth);
        image.Resize(2000, 1500);
        for (int32_t x = 0; x < 2000; ++x)
            for (int32_t y = 0; y < 1500; ++y)
                image.PutPixel(x, y, image.HasPalette() ? image.PaletteColor((x * 7 + y * 3) / 40 % image.PaletteSize())
                                                        : BmpPixel{uint8_t(x), uint8_t(y * 9), uint8_t(x ^ y), 0});
        image.SaveFile(BenchFile(depth).c_str());
    }
    return image;
}

void SaveFile(benchmark::State& state) {
    const auto depth = static_cast<int32_t>(state.range(0));
    BmpImage& image = FileImage(depth);
    const std::string path = BenchFile(depth);
    for (auto _ : state) benchmark::DoNotOptimize(image.SaveFile(path.c_str()));
    state.SetItemsProcessed(state.iterations() * 2000 * 1500);
}

void LoadFile(benchmark::State& state) {
    const auto depth = static_cast<int32_t>(state.range(0));
    FileImage(depth);
    const std::string path = BenchFile(depth);
    for (auto _ : state) {
        BmpImage image;
        benchmark::DoNotOptimize(image.LoadFile(path.c_str()));
    }
    state.SetItemsProcessed(state.iterations() * 2000 * 1500);
}
BENCHMARK(LoadFile)->Arg(1)->Arg(4)->Arg(8)->Arg(16)->Arg(24)->Arg(32)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveFile)->Arg(1)->Arg(4)->Arg(8)->Arg(16)->Arg(24)->Arg(32)->Unit(benchmark::kMillisecond);

// The streamed mosaic file to file: a face-sized region (most rows only pass through their
// codecs) and the whole picture (every row painted), per depth.
void StreamMosaic(benchmark::State& state) {
    const auto depth = static_cast<int32_t>(state.range(0));
    const bool whole = state.range(1) != 0;
    FileImage(depth);
    const std::string input = BenchFile(depth);
    const std::string output = BenchFile(depth) + ".out";
    for (auto _ : state) {
        FileMosaic mosaic;
        benchmark::DoNotOptimize(mosaic.Open(input.c_str()) &&
                                 (whole ? mosaic.Write(output.c_str(), 0, 0, 2000, 1500, 20)
                                        : mosaic.Write(output.c_str(), 800, 550, 1200, 950, 20)));
    }
    state.SetItemsProcessed(state.iterations() * 2000 * 1500);
}
BENCHMARK(StreamMosaic)->ArgsProduct({{1, 4, 8, 16, 24, 32}, {0, 1}})->ArgNames({"depth", "whole"})
    ->Unit(benchmark::kMillisecond);

BmpImage& PixelateImage() {
    static BmpImage image;
    if (image.GetWidth() != 8000) image.Resize(8000, 6000);
    return image;
}

// The cost must follow the area painted inside the image, not the rectangle's size: the three
// clipped cases paint about the same area as "face".
void Pixelate(benchmark::State& state, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    BmpImage& image = PixelateImage();
    for (auto _ : state) rastero::PixelateBlocks(image, left, top, right, bottom);
}
BENCHMARK_CAPTURE(Pixelate, face, 3800, 2800, 4200, 3200);
BENCHMARK_CAPTURE(Pixelate, face_from_far_away, INT32_MIN, INT32_MIN, 400, 400);
BENCHMARK_CAPTURE(Pixelate, corner_of_huge, 7600, 5600, INT32_MAX, INT32_MAX);
BENCHMARK_CAPTURE(Pixelate, whole, 0, 0, 8000, 6000);

void NearestPaletteIndex(benchmark::State& state) {
    BmpImage image;
    image.SetDepth(static_cast<int32_t>(state.range(0)));
    uint32_t colour = 12345;
    for (auto _ : state) {
        colour = colour * 1664525u + 1013904223u;
        const BmpPixel pixel{uint8_t(colour >> 8), uint8_t(colour >> 16), uint8_t(colour >> 24), 0};
        benchmark::DoNotOptimize(image.NearestPaletteIndex(pixel));
    }
}
BENCHMARK(NearestPaletteIndex)->Arg(1)->Arg(4)->Arg(8);

}  // namespace

BENCHMARK_MAIN();
