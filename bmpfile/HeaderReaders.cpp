#include "bmpfile/HeaderReaders.h"

namespace rastero {

BmpFileHeader ReadFileHeaderOf(const char* path) {
    BmpFileHeader header;
    const StreamGuard guard(std::fopen(path, "rb"));
    if (!guard.Get()) {
        header.bfType = 0;
        return header;
    }
    header.Read(guard.Get());
    return header;
}

BmpInfoHeader ReadInfoHeaderOf(const char* path) {
    BmpInfoHeader header;
    const StreamGuard guard(std::fopen(path, "rb"));
    if (!guard.Get()) return header;
    SkipBytes(guard.Get(), BmpFileHeaderSize);
    header.Read(guard.Get());
    return header;
}

int32_t DepthOfFile(const char* path) { return ReadInfoHeaderOf(path).biBitCount; }

void ShowBitmapInfo(const char* path) {
    {
        const StreamGuard guard(std::fopen(path, "rb"));
        if (!guard.Get()) return;
    }
    ReadFileHeaderOf(path);
    ReadInfoHeaderOf(path);
}

}  // namespace rastero
