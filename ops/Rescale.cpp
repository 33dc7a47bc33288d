#include "ops/Rescale.h"

#include <algorithm>
#include <array>
#include <cmath>

// Rescaled pixels must come out bit for bit the same everywhere, so every sum and product below
// is written in the order it is computed (and the build forbids fused multiply-adds).

namespace rastero {

namespace {

// Locale-free, so no setting of the host program can change which modes are recognised.
char UpperAscii(char letter) {
    return (letter >= 'a' && letter <= 'z') ? static_cast<char>(letter - 'a' + 'A') : letter;
}

// Where destination index `index` of `targetSize` (at least 2) falls in a source axis of
// `sourceSize` positions, the first and last positions of both lining up: the neighbours on either
// side, clamped into the source as a clamped pixel read would, and the fraction past the first.
struct AxisSample {
    int32_t low;
    int32_t high;
    double fraction;
};

AxisSample SampleAt(int32_t index, int32_t sourceSize, int32_t targetSize) {
    const double position = (static_cast<double>(index) * (static_cast<double>(sourceSize) - 1.0)) /
                            (static_cast<double>(targetSize) - 1.0);
    const auto low = static_cast<int32_t>(std::floor(position));
    const double fraction = position - static_cast<double>(low);
    return AxisSample{std::min(low, sourceSize - 1), std::min(low + 1, sourceSize - 1), fraction};
}

double Value(uint8_t channel) { return static_cast<double>(channel); }

// Truncates, never rounds. The weights sum to 1 within rounding, so a sum lies well inside
// (-1, 256) and the conversion is defined.
uint8_t Channel(double sum) { return static_cast<uint8_t>(static_cast<uint32_t>(sum)); }

// a top-left, b top-right, c bottom-left, d bottom-right. Blue is summed in another order than red
// and green, and since the sums are truncated the order shows in the results.
BmpPixel Bilinear(const BmpPixel& a, const BmpPixel& b, const BmpPixel& c, const BmpPixel& d,
                  double fx, double fy) {
    const double wd = fx * fy;
    const double wa = ((1.0 - fx) - fy) + wd;
    const double wc = fy - wd;
    const double wb = fx - wd;
    BmpPixel pixel{0, 0, 0, 0};
    pixel.red = Channel(((Value(b.red) * wb + Value(c.red) * wc) + Value(d.red) * wd) + Value(a.red) * wa);
    pixel.green =
        Channel(((Value(b.green) * wb + Value(c.green) * wc) + Value(d.green) * wd) + Value(a.green) * wa);
    pixel.blue =
        Channel(((Value(d.blue) * wd + Value(a.blue) * wa) + Value(b.blue) * wb) + Value(c.blue) * wc);
    return pixel;
}

// Along the last column or row: `far` x fraction + `near` x (1 - fraction).
BmpPixel Blend(const BmpPixel& near, const BmpPixel& far, double fraction) {
    BmpPixel pixel{0, 0, 0, 0};
    pixel.red = Channel(Value(far.red) * fraction + Value(near.red) * (1.0 - fraction));
    pixel.green = Channel(Value(far.green) * fraction + Value(near.green) * (1.0 - fraction));
    pixel.blue = Channel(Value(far.blue) * fraction + Value(near.blue) * (1.0 - fraction));
    return pixel;
}

// Every destination pixel depends on its own position only, so the fill may run in any order. It
// runs column by column through bands of rows, which follows the column storage of both images and
// keeps the table of row samples small however tall the result.
constexpr int32_t BandRows = 256;

void FillBand(BmpImage& target, const BmpImage& source, int32_t firstRow,
              const std::array<AxisSample, BandRows>& rows, int32_t rowCount) {
    const int32_t targetWidth = target.GetWidth();
    for (int32_t i = 0; i < targetWidth - 1; ++i) {
        const AxisSample column = SampleAt(i, source.GetWidth(), targetWidth);
        const BmpPixel* left = source.Column(column.low);
        const BmpPixel* right = source.Column(column.high);
        BmpPixel* out = target.Column(i) + firstRow;
        for (int32_t k = 0; k < rowCount; ++k) {
            const AxisSample& row = rows[k];
            out[k] = Bilinear(left[row.low], right[row.low], left[row.high], right[row.high],
                              column.fraction, row.fraction);
        }
    }
    const BmpPixel* lastColumn = source.Column(source.GetWidth() - 1);
    BmpPixel* out = target.Column(targetWidth - 1) + firstRow;
    for (int32_t k = 0; k < rowCount; ++k) {
        out[k] = Blend(lastColumn[rows[k].low], lastColumn[rows[k].high], rows[k].fraction);
    }
}

void FillLastRow(BmpImage& target, const BmpImage& source) {
    const int32_t targetWidth = target.GetWidth();
    const int32_t sourceRow = source.GetHeight() - 1;
    const int32_t targetRow = target.GetHeight() - 1;
    for (int32_t i = 0; i < targetWidth - 1; ++i) {
        const AxisSample column = SampleAt(i, source.GetWidth(), targetWidth);
        target.Column(i)[targetRow] = Blend(source.Column(column.low)[sourceRow],
                                            source.Column(column.high)[sourceRow], column.fraction);
    }
}

void FillRescaled(BmpImage& target, const BmpImage& source) {
    const int32_t targetHeight = target.GetHeight();
    std::array<AxisSample, BandRows> rows;
    for (int32_t firstRow = 0; firstRow < targetHeight - 1; firstRow += BandRows) {
        const int32_t rowCount = std::min(BandRows, targetHeight - 1 - firstRow);
        for (int32_t k = 0; k < rowCount; ++k) {
            rows[k] = SampleAt(firstRow + k, source.GetHeight(), targetHeight);
        }
        FillBand(target, source, firstRow, rows, rowCount);
    }
    FillLastRow(target, source);
    // The one pixel taken whole, alpha included.
    target.Column(target.GetWidth() - 1)[targetHeight - 1] =
        source.Column(source.GetWidth() - 1)[source.GetHeight() - 1];
}

}  // namespace

bool IsRescaleMode(char mode) {
    const char letter = UpperAscii(mode);
    return letter == 'P' || letter == 'W' || letter == 'H' || letter == 'F';
}

bool ComputeRescaledSize(int32_t width, int32_t height, char mode, int32_t size,
                         RescaledSize& result) {
    if (width < 1 || height < 1) return false;
    char letter = UpperAscii(mode);
    if (letter == 'F') letter = width > height ? 'W' : 'H';
    // Worked out in doubles, the products of mode P in 64 bits, and judged before any conversion,
    // so that no request can overflow; the quotient comes before the product, as the exact
    // results depend on it.
    double newWidth = 0.0;
    double newHeight = 0.0;
    switch (letter) {
        case 'P':
            newWidth = std::floor(static_cast<double>(int64_t{width} * size) * 0.01);
            newHeight = std::floor(static_cast<double>(int64_t{height} * size) * 0.01);
            break;
        case 'W':
            newWidth = size;
            newHeight = std::floor((static_cast<double>(size) / static_cast<double>(width)) *
                                   static_cast<double>(height));
            break;
        case 'H':
            newWidth = std::floor((static_cast<double>(size) / static_cast<double>(height)) *
                                  static_cast<double>(width));
            newHeight = size;
            break;
        default:
            return false;
    }
    newWidth = std::max(newWidth, 1.0);
    newHeight = std::max(newHeight, 1.0);
    const auto limit = static_cast<double>(MaxPixelCount);
    if (newWidth > limit || newHeight > limit) return false;
    const auto w = static_cast<int32_t>(newWidth);
    const auto h = static_cast<int32_t>(newHeight);
    if (int64_t{w} * h > MaxPixelCount) return false;
    result = RescaledSize{w, h};
    return true;
}

bool RescaleImage(BmpImage& image, char mode, int32_t size) {
    RescaledSize target{0, 0};
    if (!ComputeRescaledSize(image.GetWidth(), image.GetHeight(), mode, size, target)) {
        // A refused call skips the working copy but reads the resolution as the copy would, so it
        // leaves the same trace on the image as one that goes ahead.
        image.VerticalDpi();
        image.HorizontalDpi();
        return false;
    }
    const BmpImage source(image);
    if (source.GetWidth() != image.GetWidth() || source.GetHeight() != image.GetHeight()) return false;
    if (!image.Resize(target.width, target.height)) return false;
    image.SetDepth(24);
    FillRescaled(image, source);
    return true;
}

}  // namespace rastero
