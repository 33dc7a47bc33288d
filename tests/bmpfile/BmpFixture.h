#pragma once

// Files built from header records plus palette and row bytes, a folder that cleans up after
// itself, and an independent per-pixel reading of stored rows to state what a load must give.

#include <dirent.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bmpfile/BmpHeaders.h"
#include "image/BmpImage.h"

namespace rastero {

using Bytes = std::vector<uint8_t>;

inline Bytes ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline uint32_t Little32(const Bytes& bytes, size_t at) {
    return uint32_t{bytes[at]} | uint32_t{bytes[at + 1]} << 8 | uint32_t{bytes[at + 2]} << 16 |
           uint32_t{bytes[at + 3]} << 24;
}

inline uint16_t Little16(const Bytes& bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

// A fresh folder under the system's temporary folder, removed with all it holds at the end.
class TempFolder {
public:
    TempFolder() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/rastero-test-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (mkdtemp(name.data())) path = name.data();
    }
    ~TempFolder() {
        std::error_code error;
        if (!path.empty()) std::filesystem::remove_all(path, error);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string File(const std::string& name) const { return path + "/" + name; }
    const std::string& Path() const { return path; }

    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        if (DIR* folder = opendir(path.c_str())) {
            while (const dirent* entry = readdir(folder)) {
                const std::string name = entry->d_name;
                if (name != "." && name != "..") names.push_back(name);
            }
            closedir(folder);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string path;
};

// A file as header records, the bytes between the headers and the rows (palette, masks, anything
// else), and the stored rows. Patch a field or cut the bytes to make an odd case.
struct BmpFixture {
    BmpFileHeader fileHeader;
    BmpInfoHeader info;
    Bytes table;
    Bytes rows;

    Bytes FileBytes() const {
        Bytes bytes(BmpHeadersSize);
        fileHeader.Store(bytes.data());
        info.Store(bytes.data() + BmpFileHeaderSize);
        bytes.insert(bytes.end(), table.begin(), table.end());
        bytes.insert(bytes.end(), rows.begin(), rows.end());
        return bytes;
    }
    // Points bfOffBits at the first row and bfSize at the end.
    void Settle() {
        fileHeader.bfOffBits = static_cast<uint32_t>(BmpHeadersSize + table.size());
        fileHeader.bfSize = static_cast<uint32_t>(BmpHeadersSize + table.size() + rows.size());
    }
};

// Palette entries unlike any standard one, with reserved bytes that show up as alpha.
inline BmpPixel FixtureEntry(int32_t i) {
    return BmpPixel{static_cast<uint8_t>(i * 5 + 3), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 3),
                    static_cast<uint8_t>(i + 1)};
}

// A well-formed file of every pixel value kind: a full palette (or the 5-6-5 mask block at 16 bits
// when `bitfields`), rows of varied bytes whose fill bytes and unused low bits are not zero, so a
// reader that looks at them shows it.
inline BmpFixture MakeFixture(int32_t width, int32_t height, int32_t depth, bool bitfields = false) {
    BmpFixture fixture;
    fixture.info.biSize = BmpInfoHeaderSize;
    fixture.info.biWidth = width;
    fixture.info.biHeight = height;
    fixture.info.biBitCount = static_cast<uint16_t>(depth);
    fixture.info.biXPelsPerMeter = 2835;
    fixture.info.biYPelsPerMeter = 1417;
    if (depth <= 8) {
        for (int32_t i = 0; i < (1 << depth); ++i) {
            const BmpPixel entry = FixtureEntry(i);
            fixture.table.insert(fixture.table.end(), {entry.blue, entry.green, entry.red, entry.alpha});
        }
    }
    if (depth == 16 && bitfields) {
        fixture.info.biCompression = BI_BITFIELDS;
        fixture.table = {0x00, 0xF8, 0x12, 0x34, 0xE0, 0x07, 0x56, 0x78, 0x1F, 0x00, 0x9A, 0xBC};
    }
    const int64_t stride = RowStride(width, depth);
    for (int32_t row = 0; row < height; ++row) {
        for (int64_t k = 0; k < stride; ++k) {
            fixture.rows.push_back(static_cast<uint8_t>(row * 37 + k * 11 + 5 + (k * k) / 3));
        }
    }
    fixture.info.biSizeImage = static_cast<uint32_t>(fixture.rows.size());
    fixture.Settle();
    return fixture;
}

// The pixel a plain, one-pixel-at-a-time reading gives for index or word values: used for the
// palette depths and 24/32 bits. `row` points at the stored row.
inline BmpPixel ReferencePixel(const uint8_t* row, int32_t depth, int32_t x, const std::vector<BmpPixel>& palette) {
    switch (depth) {
        case 1: return palette[(row[x / 8] >> (7 - x % 8)) & 1];
        case 4: return palette[x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 15];
        case 8: return palette[row[x]];
        case 24: return BmpPixel{row[3 * x], row[3 * x + 1], row[3 * x + 2], 0};
        default: return BmpPixel{row[4 * x], row[4 * x + 1], row[4 * x + 2], row[4 * x + 3]};
    }
}

inline uint8_t ReferenceChannel(uint16_t word, uint16_t mask) {
    uint32_t value = word & mask;
    while (mask > 31) {
        mask = static_cast<uint16_t>(mask >> 1);
        value >>= 1;
    }
    return static_cast<uint8_t>(value * 8);
}

}  // namespace rastero
