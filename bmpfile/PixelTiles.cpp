#include "bmpfile/PixelTiles.h"

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace rastero {

namespace {

#if defined(__SSE2__)
void StoreFour(BmpPixel* to, __m128i pixels) { _mm_storeu_si128(reinterpret_cast<__m128i*>(to), pixels); }

// A store that bypasses the caches: the loader's columns are fresh memory that is not read again
// until the whole picture is in, so fetching their lines before overwriting them is wasted. The
// write-combining buffers gather the 4-byte stores of a column into whole lines.
void StreamFour(BmpPixel* to, __m128i pixels) {
    if (reinterpret_cast<uintptr_t>(to) % 16 == 0) {
        _mm_stream_si128(reinterpret_cast<__m128i*>(to), pixels);
        return;
    }
    int* words = reinterpret_cast<int*>(to);
    _mm_stream_si32(words, _mm_cvtsi128_si32(pixels));
    _mm_stream_si32(words + 1, _mm_cvtsi128_si32(_mm_srli_si128(pixels, 4)));
    _mm_stream_si32(words + 2, _mm_cvtsi128_si32(_mm_srli_si128(pixels, 8)));
    _mm_stream_si32(words + 3, _mm_cvtsi128_si32(_mm_srli_si128(pixels, 12)));
}
#endif

// Turns a block of 4 x 4 pixels: the four runs of four pixels at from[0..3] become the four
// runs at to[0..3], to[k][i] = from[i][k]. SSE2, which every x86-64 processor has, does it in
// eight shuffles; other hosts take the plain loop.
template <bool Stream>
void Turn4x4(const BmpPixel* const from[4], BmpPixel* const to[4]) {
#if defined(__SSE2__)
    const __m128i r0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from[0]));
    const __m128i r1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from[1]));
    const __m128i r2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from[2]));
    const __m128i r3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from[3]));
    const __m128i low01 = _mm_unpacklo_epi32(r0, r1);
    const __m128i low23 = _mm_unpacklo_epi32(r2, r3);
    const __m128i high01 = _mm_unpackhi_epi32(r0, r1);
    const __m128i high23 = _mm_unpackhi_epi32(r2, r3);
    const auto store = Stream ? StreamFour : StoreFour;
    store(to[0], _mm_unpacklo_epi64(low01, low23));
    store(to[1], _mm_unpackhi_epi64(low01, low23));
    store(to[2], _mm_unpacklo_epi64(high01, high23));
    store(to[3], _mm_unpackhi_epi64(high01, high23));
#else
    for (int32_t k = 0; k < 4; ++k) {
        for (int32_t i = 0; i < 4; ++i) to[k][i] = from[i][k];
    }
#endif
}

}  // namespace

// Four columns at a time, so each column is written in a run of the tile's height, bypassing the
// caches.
void StoreTile(BmpImage& image, const PixelTile& tile, int32_t yTop, int32_t x0, int32_t count) {
    const int32_t rows = tile.rows;
    const int32_t pitch = tile.pitch;
    int32_t c = 0;
    for (; c + 4 <= count; c += 4) {
        BmpPixel* runs[4];
        for (int32_t k = 0; k < 4; ++k) runs[k] = image.Column(x0 + c + k) + yTop;
        int32_t i = 0;
        for (; i + 4 <= rows; i += 4) {
            const BmpPixel* block = tile.pixels + i * pitch + c;
            const BmpPixel* const from[4] = {block, block + pitch, block + 2 * pitch, block + 3 * pitch};
            BmpPixel* const to[4] = {runs[0] + i, runs[1] + i, runs[2] + i, runs[3] + i};
            Turn4x4<true>(from, to);
        }
        for (; i < rows; ++i) {
            for (int32_t k = 0; k < 4; ++k) runs[k][i] = tile.pixels[i * pitch + c + k];
        }
    }
    for (; c < count; ++c) {
        BmpPixel* run = image.Column(x0 + c) + yTop;
        for (int32_t i = 0; i < rows; ++i) run[i] = tile.pixels[i * pitch + c];
    }
#if defined(__SSE2__)
    // The streamed stores are ordered before anything that follows.
    _mm_sfence();
#endif
}

void LoadTile(const BmpImage& image, PixelTile& tile, int32_t yTop, int32_t x0, int32_t count) {
    const int32_t rows = tile.rows;
    const int32_t pitch = tile.pitch;
    int32_t c = 0;
    for (; c + 4 <= count; c += 4) {
        const BmpPixel* runs[4];
        for (int32_t k = 0; k < 4; ++k) runs[k] = image.Column(x0 + c + k) + yTop;
        int32_t i = 0;
        for (; i + 4 <= rows; i += 4) {
            BmpPixel* block = tile.pixels + i * pitch + c;
            const BmpPixel* const from[4] = {runs[0] + i, runs[1] + i, runs[2] + i, runs[3] + i};
            BmpPixel* const to[4] = {block, block + pitch, block + 2 * pitch, block + 3 * pitch};
            Turn4x4<false>(from, to);
        }
        for (; i < rows; ++i) {
            for (int32_t k = 0; k < 4; ++k) tile.pixels[i * pitch + c + k] = runs[k][i];
        }
    }
    for (; c < count; ++c) {
        const BmpPixel* run = image.Column(x0 + c) + yTop;
        for (int32_t i = 0; i < rows; ++i) tile.pixels[i * pitch + c] = run[i];
    }
}

// Groups of four pixels: in a 16-byte register, the colour of pixel k sits in bytes 4k .. 4k + 2
// of the expanded form and in bytes 3k .. 3k + 2 of the packed form, so a whole-register byte
// shift by k and a mask move it. A group is taken only while the 16-byte load or store stays
// within the room; the rest goes byte by byte.
void Expand24(const uint8_t* source, int32_t count, int32_t room, BmpPixel* out) {
    int32_t i = 0;
#if defined(__SSE2__)
    const __m128i lane0 = _mm_setr_epi32(0xFFFFFF, 0, 0, 0);
    const __m128i lane1 = _mm_setr_epi32(0, 0xFFFFFF, 0, 0);
    const __m128i lane2 = _mm_setr_epi32(0, 0, 0xFFFFFF, 0);
    const __m128i lane3 = _mm_setr_epi32(0, 0, 0, 0xFFFFFF);
    for (; i + 4 <= count && i + 6 <= room; i += 4) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 3 * i));
        const __m128i colors = _mm_or_si128(
            _mm_or_si128(_mm_and_si128(bytes, lane0), _mm_and_si128(_mm_slli_si128(bytes, 1), lane1)),
            _mm_or_si128(_mm_and_si128(_mm_slli_si128(bytes, 2), lane2), _mm_and_si128(_mm_slli_si128(bytes, 3), lane3)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), colors);
    }
#else
    static_cast<void>(room);
#endif
    for (; i < count; ++i) out[i] = BmpPixel{source[3 * i], source[3 * i + 1], source[3 * i + 2], 0};
}

void Pack24(const BmpPixel* in, int32_t count, int32_t room, uint8_t* out) {
    int32_t i = 0;
#if defined(__SSE2__)
    const __m128i lane0 = _mm_setr_epi32(0xFFFFFF, 0, 0, 0);
    const __m128i lane1 = _mm_setr_epi32(0, 0xFFFFFF, 0, 0);
    const __m128i lane2 = _mm_setr_epi32(0, 0, 0xFFFFFF, 0);
    const __m128i lane3 = _mm_setr_epi32(0, 0, 0, 0xFFFFFF);
    // Bytes 12 .. 15 of each store are 0 and belong to the next pixels, whose own store comes later.
    for (; i + 4 <= count && i + 6 <= room; i += 4) {
        const __m128i colors = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        const __m128i bytes = _mm_or_si128(
            _mm_or_si128(_mm_and_si128(colors, lane0), _mm_srli_si128(_mm_and_si128(colors, lane1), 1)),
            _mm_or_si128(_mm_srli_si128(_mm_and_si128(colors, lane2), 2), _mm_srli_si128(_mm_and_si128(colors, lane3), 3)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3 * i), bytes);
    }
#else
    static_cast<void>(room);
#endif
    for (; i < count; ++i) {
        out[3 * i] = in[i].blue;
        out[3 * i + 1] = in[i].green;
        out[3 * i + 2] = in[i].red;
    }
}

}  // namespace rastero
