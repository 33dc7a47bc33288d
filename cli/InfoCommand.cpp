#include "cli/InfoCommand.h"

#include <cstdio>
#include <iomanip>

#include "bmpfile/BmpHeaders.h"
#include "bmpfile/HeaderReaders.h"
#include "cli/Diagnosis.h"

namespace rastero::cli {

namespace {

struct Headers {
    BmpFileHeader file;
    BmpInfoHeader info;
    int32_t depth;
};

std::string CompressionName(uint32_t compression) {
    switch (compression) {
    case BI_RGB: return "BI_RGB";
    case BI_RLE8: return "BI_RLE8";
    case BI_RLE4: return "BI_RLE4";
    case BI_BITFIELDS: return "BI_BITFIELDS";
    default: return "unknown";
    }
}

void WriteText(const std::string& path, const Headers& h, std::ostream& out) {
    const auto field = [&out](const char* name) -> std::ostream& {
        return out << "    " << std::left << std::setw(17) << name << std::right;
    };
    out << path << "\n  file header\n";
    field("bfType") << "0x" << std::hex << std::uppercase << std::setw(4) << std::setfill('0')
                    << h.file.bfType << std::dec << std::nouppercase << std::setfill(' ')
                    << " (\"BM\")\n";
    field("bfSize") << h.file.bfSize << "\n";
    field("bfReserved1") << h.file.bfReserved1 << "\n";
    field("bfReserved2") << h.file.bfReserved2 << "\n";
    field("bfOffBits") << h.file.bfOffBits << "\n";
    out << "  info header\n";
    field("biSize") << h.info.biSize << "\n";
    field("biWidth") << h.info.biWidth << "\n";
    field("biHeight") << h.info.biHeight << "\n";
    field("biPlanes") << h.info.biPlanes << "\n";
    field("biBitCount") << h.info.biBitCount << "\n";
    field("biCompression") << h.info.biCompression << " (" << CompressionName(h.info.biCompression)
                           << ")\n";
    field("biSizeImage") << h.info.biSizeImage << "\n";
    field("biXPelsPerMeter") << h.info.biXPelsPerMeter << "\n";
    field("biYPelsPerMeter") << h.info.biYPelsPerMeter << "\n";
    field("biClrUsed") << h.info.biClrUsed << "\n";
    field("biClrImportant") << h.info.biClrImportant << "\n";
    out << "  depth " << h.depth << " bits per pixel\n";
    const std::string problem = HeaderProblem(h.info);
    out << "  " << (problem.empty() ? "can be pixelated" : "cannot be pixelated: " + problem)
        << "\n";
}

void WriteJson(const std::string& path, const Headers& h, std::ostream& out) {
    out << "{\"file\": " << JsonString(path) << ", \"fileHeader\": {\"bfType\": " << h.file.bfType
        << ", \"bfSize\": " << h.file.bfSize << ", \"bfReserved1\": " << h.file.bfReserved1
        << ", \"bfReserved2\": " << h.file.bfReserved2 << ", \"bfOffBits\": " << h.file.bfOffBits
        << "}, \"infoHeader\": {\"biSize\": " << h.info.biSize << ", \"biWidth\": " << h.info.biWidth
        << ", \"biHeight\": " << h.info.biHeight << ", \"biPlanes\": " << h.info.biPlanes
        << ", \"biBitCount\": " << h.info.biBitCount << ", \"biCompression\": "
        << h.info.biCompression << ", \"biSizeImage\": " << h.info.biSizeImage
        << ", \"biXPelsPerMeter\": " << h.info.biXPelsPerMeter << ", \"biYPelsPerMeter\": "
        << h.info.biYPelsPerMeter << ", \"biClrUsed\": " << h.info.biClrUsed
        << ", \"biClrImportant\": " << h.info.biClrImportant << "}, \"depth\": " << h.depth
        << "}\n";
}

ExitStatus ShowOne(const std::string& path, bool json, std::ostream& out, std::ostream& errors) {
    const std::string problem = FileProblem(path);
    if (!problem.empty()) {
        errors << "rastero: cannot read the headers of " << Quoted(path) << ": " << problem << "\n";
        return ExitStatus::LoadFailed;
    }
    const Headers headers{ReadFileHeaderOf(path.c_str()), ReadInfoHeaderOf(path.c_str()),
                          DepthOfFile(path.c_str())};
    if (json) {
        WriteJson(path, headers, out);
    } else {
        WriteText(path, headers, out);
    }
    return ExitStatus::Success;
}

}  // namespace

namespace {

// The length of the well-formed UTF-8 sequence that starts at `at`, or 0 when there is none
// (a stray continuation byte, an overlong form, a surrogate, a value past U+10FFFF, a cut).
size_t Utf8SequenceLength(const std::string& text, size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    for (size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) return 0;
    }
    return length;
}

}  // namespace

// File names are bytes; a JSON document must be UTF-8, so bytes that do not form UTF-8 stand as
// U+FFFD.
std::string JsonString(const std::string& text) {
    std::string quoted = "\"";
    for (size_t at = 0; at < text.size();) {
        const char c = text[at];
        const auto byte = static_cast<unsigned char>(c);
        const size_t length = Utf8SequenceLength(text, at);
        if (length == 0) {
            quoted += "\\ufffd";
            ++at;
            continue;
        }
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            quoted += escape;
        } else {
            quoted.append(text, at, length);
        }
        at += length;
    }
    return quoted + "\"";
}

ExitStatus ShowInfo(const InfoRequest& request, std::ostream& out, std::ostream& errors) {
    ExitStatus status = ExitStatus::Success;
    bool first = true;
    for (const std::string& path : request.files) {
        if (!request.json && !first) out << "\n";
        first = false;
        status = Worse(status, ShowOne(path, request.json, out, errors));
    }
    return status;
}

}  // namespace rastero::cli
