#pragma once

#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "image/BmpImage.h"
#include "tests/TestSupport.h"

namespace rastero {

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "rastero-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) folder = pattern;
    }
    ~ScratchFolder() {
        std::error_code error;
        if (!folder.empty()) std::filesystem::remove_all(folder, error);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return folder; }
    // A path inside the folder; `name` may hold subfolders and UTF-8.
    std::string File(const std::string& name) const { return folder + "/" + name; }

    // Names of what the folder holds, sorted.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string folder;
};

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline bool FileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

// Saves a picture of PatternPixel colours shifted by `seed`, so files of different seeds differ.
inline bool SavePatternImage(const std::string& path, int32_t width, int32_t height, int32_t depth,
                             int32_t seed = 0) {
    BmpImage image;
    if (!image.Resize(width, height) || !image.SetDepth(depth)) return false;
    for (int32_t x = 0; x < width; ++x)
        for (int32_t y = 0; y < height; ++y) image.PutPixel(x, y, PatternPixel(x + seed, y + 2 * seed));
    return image.SaveFile(path.c_str());
}

}  // namespace rastero
