// POSIX hosts take file names as bytes, and the systems this library runs on name files in UTF-8,
// so a wide path is taken as UTF-16 and converted to UTF-8.
#include <cstdint>
#include <limits>

#include "boundary/PathConversion.h"

namespace rastero {

namespace {

bool IsHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Code point at path[index], moving index past its units; false for an unpaired surrogate.
bool NextCodePoint(const RasteroWideChar* path, size_t length, size_t& index, uint32_t& codePoint) {
    const uint32_t unit = static_cast<uint16_t>(path[index++]);
    if (IsLowSurrogate(unit)) return false;
    if (!IsHighSurrogate(unit)) {
        codePoint = unit;
        return true;
    }
    if (index >= length) return false;
    const uint32_t low = static_cast<uint16_t>(path[index]);
    if (!IsLowSurrogate(low)) return false;
    ++index;
    codePoint = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    return true;
}

size_t EncodedSize(uint32_t codePoint) {
    if (codePoint < 0x80) return 1;
    if (codePoint < 0x800) return 2;
    if (codePoint < 0x10000) return 3;
    return 4;
}

void EncodeUtf8(uint32_t codePoint, size_t size, char* out) {
    static constexpr uint8_t leadMarks[] = {0x00, 0x00, 0xC0, 0xE0, 0xF0};
    for (size_t i = size - 1; i > 0; --i) {
        out[i] = static_cast<char>(0x80 | (codePoint & 0x3F));
        codePoint >>= 6;
    }
    out[0] = static_cast<char>(leadMarks[size] | codePoint);
}

}  // namespace

// A unit takes at most 3 bytes: one outside the surrogates needs 1 to 3, a surrogate pair 4.
size_t NarrowPathCapacity(size_t length) {
    if (length > (std::numeric_limits<size_t>::max() - 1) / 3) return 0;
    return length * 3 + 1;
}

void ConvertWidePath(const RasteroWideChar* path, size_t length, char* buffer, size_t capacity) {
    if (capacity == 0) return;
    buffer[0] = '\0';
    size_t used = 0;
    size_t index = 0;
    while (index < length) {
        uint32_t codePoint = 0;
        if (!NextCodePoint(path, length, index, codePoint)) {
            buffer[0] = '\0';
            return;
        }
        const size_t size = EncodedSize(codePoint);
        if (capacity - used <= size) {
            buffer[0] = '\0';
            return;
        }
        EncodeUtf8(codePoint, size, buffer + used);
        used += size;
    }
    buffer[used] = '\0';
}

}  // namespace rastero
