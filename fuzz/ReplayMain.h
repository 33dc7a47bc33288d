#pragma once

// Without libFuzzer a fuzz target is a plain program that replays the files and folders named on
// its command line, each through ReplayOne: by default LLVMFuzzerTestOneInput; a target that
// defines RASTERO_REPLAY_ONE names a routine of its own.

#include <dirent.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

#ifndef RASTERO_REPLAY_ONE
#define RASTERO_REPLAY_ONE LLVMFuzzerTestOneInput
#endif

namespace {

int Replay(const std::string& path) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        return 1;
    }
    if (S_ISDIR(status.st_mode)) {
        int failures = 0;
        if (DIR* folder = opendir(path.c_str())) {
            while (const dirent* entry = readdir(folder)) {
                if (entry->d_name[0] != '.') failures += Replay(path + "/" + entry->d_name);
            }
            closedir(folder);
        }
        return failures;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return 1;
    std::vector<uint8_t> bytes;
    uint8_t block[65536];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) bytes.insert(bytes.end(), block, block + got);
    std::fclose(file);
    RASTERO_REPLAY_ONE(bytes.data(), bytes.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int failures = 0;
    for (int i = 1; i < argc; ++i) failures += Replay(argv[i]);
    return failures == 0 ? 0 : 1;
}

