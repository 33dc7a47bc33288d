#include "ops/FileMosaic.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "bmpfile/BmpHeaders.h"
#include "bmpfile/BmpWriting.h"
#include "bmpfile/RowDecoders.h"
#include "bmpfile/RowEncoders.h"
#include "boundary/FileReplace.h"
#include "ops/BlockGrid.h"
#include "ops/Pixelate.h"

namespace rastero {

namespace {

// A row codec turns one stored input row into the stored output row that loading, painting and
// saving would give, picked once per file by its depth. Each has:
//   PaintValue        what a block's colour becomes in the output row;
//   PixelAt(row, x)   the colour the reader gives pixel x of a stored row;
//   ToPaintValues     block colours to paint values;
//   Copy(in, out)     a row no block touches;
//   Paint(in, out, columns, values)  a row crossed by the blocks of one row of blocks.
// Only the bytes of the pixels are written, so the output rows keep the zero fill they start with.

// 16, 24 and 32 bits: the row passes through colours. At 24 and 32 bits a decoded pixel encodes
// back to its own bytes, so the bytes outside the blocks are copied as they stand.
template <typename Decode, typename Encode>
class PixelCodec {
public:
    using PaintValue = BmpPixel;

    PixelCodec(Decode decode, Encode encode, int32_t width, int32_t bytesPerPixel, bool keepsBytes)
        : decode(decode), encode(encode), width(width), bytesPerPixel(bytesPerPixel), keepsBytes(keepsBytes),
          pixels(new (std::nothrow) BmpPixel[static_cast<size_t>(width)]) {}

    bool Ready() const { return pixels != nullptr; }

    BmpPixel PixelAt(const uint8_t* row, int64_t x) const {
        BmpPixel pixel;
        decode(row, static_cast<int32_t>(x), 1, &pixel);
        return pixel;
    }

    void ToPaintValues(const BmpPixel* colours, int64_t count, BmpPixel* values) {
        std::copy(colours, colours + count, values);
    }

    void Copy(const uint8_t* in, uint8_t* out) const {
        if (keepsBytes) {
            CopyBytes(in, out, 0, width);
            return;
        }
        decode(in, 0, width, pixels.get());
        encode(pixels.get(), 0, width, out);
    }

    void Paint(const uint8_t* in, uint8_t* out, const BlockAxis& columns, const BmpPixel* values) const {
        const auto first = static_cast<int32_t>(columns.FirstPainted());
        const auto last = static_cast<int32_t>(columns.LastPainted());
        for (int64_t c = columns.lowest; c <= columns.highest; ++c) {
            const int64_t from = columns.FirstOwned(c);
            FillPixels(pixels.get() + from, columns.LastOwned(c) - from + 1, values[c - columns.lowest]);
        }
        if (keepsBytes) {
            CopyBytes(in, out, 0, first);
            encode(pixels.get() + first, first, last - first + 1, out);
            // After the blocks, since the encoder may use the bytes past its pixels as scratch.
            CopyBytes(in, out, last + 1, width);
            return;
        }
        decode(in, 0, first, pixels.get());
        decode(in, last + 1, width - last - 1, pixels.get() + last + 1);
        encode(pixels.get(), 0, width, out);
    }

private:
    void CopyBytes(const uint8_t* in, uint8_t* out, int64_t from, int64_t to) const {
        std::memcpy(out + from * bytesPerPixel, in + from * bytesPerPixel, static_cast<size_t>((to - from) * bytesPerPixel));
    }

    Decode decode;
    Encode encode;
    int32_t width;
    int64_t bytesPerPixel;
    bool keepsBytes;
    std::unique_ptr<BmpPixel[]> pixels;
};

// 1, 4 and 8 bits: every index the file can hold decodes to a palette colour, which the writer
// maps to the first entry of that colour, so a row passes through one table of indexes, usually
// the identity. Blocks paint the index their colour maps to.
template <int32_t Bits>
class IndexCodec {
public:
    using PaintValue = uint8_t;
    static constexpr int32_t PerByte = 8 / Bits;
    static constexpr uint32_t IndexMask = (1u << Bits) - 1;

    IndexCodec(const BmpImage& image, int32_t width)
        : image(image), matcher(image), pixelBytes((int64_t{width} * Bits + 7) / 8) {
        // Each index through the same matcher that gives the blocks theirs.
        BmpPixel entries[1 << Bits];
        for (int32_t i = 0; i < (1 << Bits); ++i) entries[i] = image.PaletteColor(i);
        uint8_t remap[1 << Bits];
        matcher.IndexesOf(entries, 1 << Bits, remap);
        for (uint32_t byte = 0; byte < 256; ++byte) {
            uint32_t mapped = 0;
            for (int32_t k = 0; k < PerByte; ++k) mapped |= uint32_t{remap[(byte >> Shift(k)) & IndexMask]} << Shift(k);
            byteMap[byte] = static_cast<uint8_t>(mapped);
            identity &= mapped == byte;
        }
        // The writer leaves the unused low bits of a row's last byte 0, whatever the file held.
        const int32_t used = width % PerByte;
        lastByteMask = used == 0 ? 0xFF : static_cast<uint8_t>(0xFF << (8 - Bits * used));
    }

    // Needs no storage beyond itself.
    bool Ready() const { return true; }

    BmpPixel PixelAt(const uint8_t* row, int64_t x) const {
        const uint32_t byte = row[x / PerByte];
        return image.PaletteColor(static_cast<int32_t>((byte >> Shift(static_cast<int32_t>(x % PerByte))) & IndexMask));
    }

    void ToPaintValues(const BmpPixel* colours, int64_t count, uint8_t* values) {
        matcher.IndexesOf(colours, static_cast<int32_t>(count), values);
    }

    void Copy(const uint8_t* in, uint8_t* out) const {
        const int64_t bytes = pixelBytes;
        if (identity) {
            std::memcpy(out, in, static_cast<size_t>(bytes));
        } else {
            // Locals, since a store through a byte pointer could change any member.
            const uint8_t* map = byteMap;
            for (int64_t j = 0; j < bytes; ++j) out[j] = map[in[j]];
        }
        out[bytes - 1] &= lastByteMask;
    }

    void Paint(const uint8_t* in, uint8_t* out, const BlockAxis& columns, const uint8_t* values) const {
        Copy(in, out);
        for (int64_t c = columns.lowest; c <= columns.highest; ++c) {
            SetIndexes(out, columns.FirstOwned(c), columns.LastOwned(c), values[c - columns.lowest]);
        }
    }

private:
    static constexpr int32_t Shift(int32_t slot) { return 8 - Bits * (slot + 1); }

    // Pixels from .. to of a row take `index`: whole bytes at once, the pixels of a shared byte
    // one by one.
    static void SetIndexes(uint8_t* row, int64_t from, int64_t to, uint8_t index) {
        int64_t x = from;
        for (; x <= to && x % PerByte != 0; ++x) SetIndex(row, x, index);
        uint32_t pattern = 0;
        for (int32_t k = 0; k < PerByte; ++k) pattern |= uint32_t{index} << Shift(k);
        const int64_t wholeBytes = (to + 1 - x) / PerByte;
        std::memset(row + x / PerByte, static_cast<int>(pattern), static_cast<size_t>(wholeBytes));
        for (x += wholeBytes * PerByte; x <= to; ++x) SetIndex(row, x, index);
    }

    static void SetIndex(uint8_t* row, int64_t x, uint8_t index) {
        const int32_t shift = Shift(static_cast<int32_t>(x % PerByte));
        uint8_t& byte = row[x / PerByte];
        byte = static_cast<uint8_t>((byte & ~(IndexMask << shift)) | uint32_t{index} << shift);
    }

    const BmpImage& image;
    PaletteMatcher matcher;
    int64_t pixelBytes;
    uint8_t byteMap[256];
    bool identity = true;
    uint8_t lastByteMask;
};

// Blocks of rows in and out: small enough that the memory of both is soon faulted in and stays in
// the cache, large enough that a block costs one system call.
constexpr int64_t StreamBlockBytes = int64_t{256} << 10;

// Where the stored rows are and what the output looks like.
struct StreamSource {
    std::FILE* input;
    int64_t firstRowOffset;
    int32_t width;
    int32_t height;
    int64_t rowStride;
};

// The rectangle of a mosaic and the spacing of its blocks.
struct BlockPlan {
    int32_t left, top, right, bottom, stride;
};

// Reads the input a block of rows at a time in file order (bottom row first), writes each block
// of output rows as soon as it is made, and takes block colours from the sample rows, read on
// their own as each row of blocks is first met. Samples are taken as painting block by block
// takes them: from the unpainted picture unless an earlier block covers the sample (see
// LatestEarlierCover), so a row of blocks may need the colours of the one above it; the colours
// and paint values of the last two rows of blocks are kept.
template <typename Codec>
class MosaicStream {
public:
    using PaintValue = typename Codec::PaintValue;

    MosaicStream(const StreamSource& source, const BmpImage& image, Codec& codec, const BlockPlan& plan)
        : source(source), image(image), codec(codec),
          // A stride below 1 paints nothing; the axes then only need a valid one.
          columns(plan.left, plan.right, std::max(1, plan.stride), source.width),
          blockRows(plan.top, plan.bottom, std::max(1, plan.stride), source.height),
          painting(plan.stride >= 1 && !columns.Empty() && !blockRows.Empty()) {}

    // Set when Run failed on the input's side: it changed under the stream, or the stream's
    // buffers could not be had.
    bool InputFailed() const { return inputFailed; }

    bool Run(std::FILE* output) {
        uint8_t headers[BmpHeadersSize];
        StoreHeaders(image, source.width, source.height, headers);
        if (std::fwrite(headers, 1, sizeof headers, output) != sizeof headers || !WriteColorTable(image, output)) {
            return false;
        }
        if (!codec.Ready() || !Allocate()) return FailOnInput();
        for (int32_t y = source.height - 1; y >= 0;) {
            const int32_t rows = std::min(rowsPerBlock, y + 1);
            const auto bytes = static_cast<size_t>(rows * source.rowStride);
            if (!ReadAt(OffsetOf(y), in.get(), bytes)) return FailOnInput();
            for (int32_t i = 0; i < rows; ++i) {
                if (!MakeRow(y - i, in.get() + i * source.rowStride, out.get() + i * source.rowStride)) {
                    return FailOnInput();
                }
            }
            if (std::fwrite(out.get(), 1, bytes, output) != bytes) return false;
            y -= rows;
        }
        return true;
    }

private:
    bool FailOnInput() {
        inputFailed = true;
        return false;
    }

    bool Allocate() {
        rowsPerBlock = RowsPerBlock(source.rowStride, source.height, StreamBlockBytes);
        const auto blockBytes = static_cast<size_t>(rowsPerBlock * source.rowStride);
        in.reset(new (std::nothrow) uint8_t[blockBytes]);
        out.reset(new (std::nothrow) uint8_t[blockBytes]());
        if (!in || !out) return false;
        if (!painting) return true;
        const auto perRow = static_cast<size_t>(columns.Count());
        sampleRow.reset(new (std::nothrow) uint8_t[static_cast<size_t>(source.rowStride)]);
        colours.reset(new (std::nothrow) BmpPixel[2 * perRow]);
        values.reset(new (std::nothrow) PaintValue[2 * perRow]);
        return sampleRow && colours && values;
    }

    bool MakeRow(int64_t y, const uint8_t* in, uint8_t* out) {
        if (!painting || !blockRows.IsPainted(y)) {
            codec.Copy(in, out);
            return true;
        }
        const PaintValue* rowValues = ValuesOf(blockRows.Owner(y));
        if (!rowValues) return false;
        codec.Paint(in, out, columns, rowValues);
        return true;
    }

    int64_t OffsetOf(int64_t y) const { return source.firstRowOffset + (source.height - 1 - y) * source.rowStride; }

    // Offsets were checked against the file's size, which the stream could report, when it was opened.
    bool ReadAt(int64_t offset, uint8_t* destination, size_t bytes) {
        if (offset != position && std::fseek(source.input, static_cast<long>(offset), SEEK_SET) != 0) return false;
        const size_t got = std::fread(destination, 1, bytes, source.input);
        position = offset + static_cast<int64_t>(got);
        return got == bytes;
    }

    size_t Slot(int64_t row) const { return static_cast<size_t>(row & 1); }
    BmpPixel* ColoursIn(int64_t row) { return colours.get() + Slot(row) * static_cast<size_t>(columns.Count()); }

    // The paint values of one row of blocks; null when the input could not be read.
    const PaintValue* ValuesOf(int64_t row) {
        PaintValue* rowValues = values.get() + Slot(row) * static_cast<size_t>(columns.Count());
        if (slotRow[Slot(row)] == row) return rowValues;
        // A row of blocks this one takes colours from is made first, in the other slot; it is the
        // row above, whose samples never clamp into earlier blocks, so this recurses once at most.
        BlockIndex cover{};
        for (int64_t c = columns.lowest; c <= columns.highest; ++c) {
            if (LatestEarlierCover(blockRows, columns, BlockIndex{row, c}, blockRows.lowest, cover) &&
                cover.row != row && !ValuesOf(cover.row)) {
                return nullptr;
            }
        }
        if (!ReadAt(OffsetOf(blockRows.SampleOf(row)), sampleRow.get(), static_cast<size_t>(source.rowStride))) {
            return nullptr;
        }
        BmpPixel* rowColours = ColoursIn(row);
        for (int64_t c = columns.lowest; c <= columns.highest; ++c) {
            if (LatestEarlierCover(blockRows, columns, BlockIndex{row, c}, blockRows.lowest, cover)) {
                rowColours[c - columns.lowest] = ColoursIn(cover.row)[cover.column - columns.lowest];
            } else {
                rowColours[c - columns.lowest] = codec.PixelAt(sampleRow.get(), columns.SampleOf(c));
            }
        }
        codec.ToPaintValues(rowColours, columns.Count(), rowValues);
        slotRow[Slot(row)] = row;
        return rowValues;
    }

    const StreamSource& source;
    const BmpImage& image;
    Codec& codec;
    BlockAxis columns;
    BlockAxis blockRows;
    bool painting;
    bool inputFailed = false;
    int32_t rowsPerBlock = 1;
    int64_t position = -1;
    std::unique_ptr<uint8_t[]> in;
    std::unique_ptr<uint8_t[]> out;
    std::unique_ptr<uint8_t[]> sampleRow;
    std::unique_ptr<BmpPixel[]> colours;
    std::unique_ptr<PaintValue[]> values;
    int64_t slotRow[2] = {INT64_MIN, INT64_MIN};
};

// What a write came to.
enum class Outcome { Written, InputFailed, OutputFailed };

template <typename Codec>
Outcome StreamWith(Codec& codec, const StreamSource& source, const BmpImage& image, const BlockPlan& plan,
                   const char* outputPath) {
    MosaicStream<Codec> stream(source, image, codec, plan);
    const auto body = [](std::FILE* output, void* context) { return static_cast<MosaicStream<Codec>*>(context)->Run(output); };
    if (WriteBmpFile(outputPath, body, &stream)) return Outcome::Written;
    return stream.InputFailed() ? Outcome::InputFailed : Outcome::OutputFailed;
}

template <int32_t Bits>
Outcome StreamIndexed(const StreamSource& source, const BmpImage& image, const BlockPlan& plan, const char* outputPath) {
    // The matcher's cache is large for a stack that may be a worker thread's.
    std::unique_ptr<IndexCodec<Bits>> codec(new (std::nothrow) IndexCodec<Bits>(image, source.width));
    if (!codec) return Outcome::InputFailed;
    return StreamWith(*codec, source, image, plan, outputPath);
}

template <typename Decode, typename Encode>
Outcome StreamPixels(const StreamSource& source, const BmpImage& image, const BlockPlan& plan, const char* outputPath,
                  Decode decode, Encode encode, int32_t bytesPerPixel, bool keepsBytes) {
    PixelCodec<Decode, Encode> codec(decode, encode, source.width, bytesPerPixel, keepsBytes);
    return StreamWith(codec, source, image, plan, outputPath);
}

Outcome StreamByDepth(const StreamSource& source, const BmpImage& image, const StoredRows& rows, const BlockPlan& plan,
                      const char* outputPath) {
    const int32_t width = source.width;
    switch (image.GetDepth()) {
        case 1: return StreamIndexed<1>(source, image, plan, outputPath);
        case 4: return StreamIndexed<4>(source, image, plan, outputPath);
        case 8: return StreamIndexed<8>(source, image, plan, outputPath);
        case 16:
            return StreamPixels(source, image, plan, outputPath, Decode16(rows.redMask, rows.greenMask, rows.blueMask),
                                Encode16{}, 2, false);
        case 24: return StreamPixels(source, image, plan, outputPath, Decode24{width}, Encode24{width}, 3, true);
        default: return StreamPixels(source, image, plan, outputPath, Decode32{}, Encode32{}, 4, true);
    }
}

}  // namespace

FileMosaic::~FileMosaic() {
    if (input) std::fclose(input);
}

bool FileMosaic::Open(const char* inputPath) {
    if (inputPath == nullptr || !CheckTypeSizes()) return false;
    // A device or a FIFO cannot be read twice, so it never starts a stream.
    if (IsExistingNonRegularFile(inputPath)) return image.LoadFile(inputPath);
    input = std::fopen(inputPath, "rb");
    if (!input) return false;
    // The rows are read in blocks and sample rows straight into their buffers; a stream buffer
    // would add a copy and split each sample row into several reads. Only the few header fields
    // and palette entries pay a read each.
    std::setvbuf(input, nullptr, _IONBF, 0);
    if (ReadUpToRows(image, input, rows) != HeaderVerdict::Accepted) {
        std::fclose(input);
        input = nullptr;
        return false;
    }
    if (!LocateCompleteRows()) return LoadWhole(inputPath);
    inputName = inputPath;
    return true;
}

bool FileMosaic::LoadWhole(const char* inputPath) {
    std::fclose(input);
    input = nullptr;
    return image.LoadFile(inputPath);
}

// Notes where the rows start and tells whether every row is there in full: the reader's rules for
// data that ends early are the image's. The offsets of all rows then lie within a size the stream
// itself reported, so they fit its seek.
bool FileMosaic::LocateCompleteRows() {
    const long position = std::ftell(input);
    if (position < 0 || std::fseek(input, 0, SEEK_END) != 0) return false;
    const long size = std::ftell(input);
    if (size < position) return false;
    firstRowOffset = position;
    return RowStride(rows.width, image.GetDepth()) * rows.height <= int64_t{size} - position;
}

bool FileMosaic::Write(const char* outputPath, int32_t left, int32_t top, int32_t right, int32_t bottom,
                       int32_t stride) {
    inputFailed = false;
    // Windows does not let a file that is open be replaced, so a mosaic over its own input is
    // made in memory everywhere.
    if (Streamed() && IsSameFile(inputName.c_str(), outputPath) && !LoadWhole(inputName.c_str())) {
        inputFailed = true;
        return false;
    }
    if (!Streamed()) {
        PixelateBlocksWithStride(image, left, top, right, bottom, stride);
        return image.SaveFile(outputPath);
    }
    const StreamSource source{input, firstRowOffset, rows.width, rows.height, RowStride(rows.width, image.GetDepth())};
    const Outcome outcome = StreamByDepth(source, image, rows, BlockPlan{left, top, right, bottom, stride}, outputPath);
    inputFailed = outcome == Outcome::InputFailed;
    return outcome == Outcome::Written;
}

}  // namespace rastero
