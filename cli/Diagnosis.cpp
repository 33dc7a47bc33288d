#include "cli/Diagnosis.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "bmpfile/HeaderReaders.h"
#include "boundary/FileReplace.h"
#include "image/BmpImage.h"

namespace rastero::cli {

namespace fs = std::filesystem;

namespace {

bool CanOpenForReading(const std::string& path) {
    std::FILE* stream = std::fopen(path.c_str(), "rb");
    if (stream == nullptr) return false;
    std::fclose(stream);
    return true;
}

std::string CompressionProblem(const BmpInfoHeader& header) {
    switch (header.biCompression) {
    case BI_RGB:
        return "";
    case BI_RLE8:
    case BI_RLE4:
        return "it is a compressed (run-length encoded) bitmap, which is not supported; save it "
               "uncompressed";
    case BI_BITFIELDS:
        if (header.biBitCount == 16) return "";
        return "it uses colour masks (BI_BITFIELDS) at " + std::to_string(header.biBitCount) +
               " bits per pixel, which are supported at 16 bits only; save it as plain RGB";
    case 4:
        return "it holds a JPEG picture inside a BMP header, which is not supported";
    case 5:
        return "it holds a PNG picture inside a BMP header, which is not supported";
    default:
        return "it uses compression method " + std::to_string(header.biCompression) +
               ", which is not supported; save it uncompressed";
    }
}

std::string DimensionProblem(const BmpInfoHeader& header) {
    const std::string size = std::to_string(header.biWidth) + " x " + std::to_string(header.biHeight);
    if (header.biHeight < 0) {
        return "it is a top-down bitmap (negative height), which is not supported; save it "
               "bottom-up";
    }
    if (header.biWidth <= 0 || header.biHeight == 0) {
        return "its dimensions " + size + " are not those of a picture";
    }
    if (!IsWithinLoadLimits(header)) {
        return "its dimensions " + size + " are too large (at most " +
               std::to_string(MaxPixelCount) + " pixels)";
    }
    return "";
}

std::string ParentFolder(const std::string& path) {
    const fs::path parent = fs::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

}  // namespace

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

std::string FileProblem(const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) return "the file does not exist";
    if (status.type() == fs::file_type::directory) return "it is a folder, not a file";
    if (!CanOpenForReading(path)) return "the file cannot be opened; check its permissions";
    const std::uintmax_t size = fs::file_size(path, error);
    const bool knownSize = !error;
    if (knownSize && size == 0) return "the file is empty";
    if (knownSize && size < 2) return "it is not a BMP file (too short to start with \"BM\")";
    if (ReadFileHeaderOf(path.c_str()).bfType != BmpSignature) {
        return "it is not a BMP file (it does not start with \"BM\")";
    }
    if (knownSize && size < static_cast<std::uintmax_t>(BmpHeadersSize)) {
        return "the file ends inside its headers (" + std::to_string(size) + " bytes; a BMP file "
               "has at least " + std::to_string(BmpHeadersSize) + ")";
    }
    return "";
}

std::string HeaderProblem(const BmpInfoHeader& infoHeader) {
    std::string problem = CompressionProblem(infoHeader);
    if (problem.empty() && !IsSupportedDepth(infoHeader.biBitCount)) {
        problem = "its bit depth of " + std::to_string(infoHeader.biBitCount) +
                  " bits per pixel is not supported (1, 4, 8, 16, 24 and 32 are)";
    }
    if (problem.empty()) problem = DimensionProblem(infoHeader);
    // An older header's fields sit at other offsets, so what was read above is noise; say why.
    if (!problem.empty() && infoHeader.biSize < static_cast<uint32_t>(BmpInfoHeaderSize)) {
        problem = "it has a " + std::to_string(infoHeader.biSize) + "-byte info header (OS/2 style), "
                  "which is not supported; save it as a Windows BMP";
    }
    return problem;
}

std::string WhyLoadFailed(const std::string& path) {
    std::string problem = FileProblem(path);
    if (problem.empty()) problem = HeaderProblem(ReadInfoHeaderOf(path.c_str()));
    if (problem.empty()) problem = "the file could not be read (not enough memory?)";
    return problem;
}

std::string WhyWriteFailed(const std::string& path) {
    const std::string folder = ParentFolder(path);
    std::error_code error;
    const fs::file_status folderStatus = fs::status(folder, error);
    if (folderStatus.type() == fs::file_type::not_found) {
        return "the folder " + Quoted(folder) + " does not exist";
    }
    if (folderStatus.type() != fs::file_type::directory) return Quoted(folder) + " is not a folder";
    if (fs::is_directory(path, error)) return "it is a folder";
    if (IsExistingUnwritableFile(path.c_str())) return "the file is write-protected";
    return "the file cannot be written; check the folder's permissions and the free space";
}

void TellLoadFailed(const std::string& path, std::ostream& errors) {
    errors << "rastero: cannot load " << Quoted(path) << ": " << WhyLoadFailed(path) << "\n";
}

void TellWriteFailed(const std::string& path, std::ostream& errors) {
    errors << "rastero: cannot write " << Quoted(path) << ": " << WhyWriteFailed(path) << "\n";
}

bool LoadOrTell(BmpImage& image, const std::string& path, std::ostream& errors) {
    if (image.LoadFile(path.c_str())) return true;
    TellLoadFailed(path, errors);
    return false;
}

bool SaveOrTell(BmpImage& image, const std::string& path, std::ostream& errors) {
    if (image.SaveFile(path.c_str())) return true;
    TellWriteFailed(path, errors);
    return false;
}

}  // namespace rastero::cli
