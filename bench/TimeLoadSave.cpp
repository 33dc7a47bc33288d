// Times LoadFile and SaveFile apart on one picture, in process, so a change to the reader or the
// writer shows without the tool's start-up and the pixelation around it. Medians of N rounds.
//
//   rastero_time_load_save INPUT OUTPUT [ROUNDS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "image/BmpImage.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: rastero_time_load_save INPUT OUTPUT [ROUNDS]\n");
        return 2;
    }
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    std::vector<double> loads, saves;
    for (int i = 0; i < rounds; ++i) {
        // A fresh image each round: the loader pays for first-touching its storage, as in the tool.
        rastero::BmpImage image;
        auto start = std::chrono::steady_clock::now();
        if (!image.LoadFile(argv[1])) {
            std::fprintf(stderr, "cannot load %s\n", argv[1]);
            return 1;
        }
        loads.push_back(Seconds(start));
        start = std::chrono::steady_clock::now();
        if (!image.SaveFile(argv[2])) {
            std::fprintf(stderr, "cannot save %s\n", argv[2]);
            return 1;
        }
        saves.push_back(Seconds(start));
    }
    std::printf("load %.3f s  save %.3f s  (medians of %d)\n", Median(loads), Median(saves), rounds);
    return 0;
}
