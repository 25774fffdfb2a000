#include "PreviewGeometry.h"

#include "BitDepth.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace corvcolor {
namespace {

// Byte counts stay below 2^31 so that every size also fits the 32-bit
// fields of the block and a 32-bit process's address arithmetic.
constexpr int64_t kMaxBytes = INT32_MAX;

int64_t PaddedRow(int64_t width, int channels) {
    return (width * channels + 3) & ~int64_t{3};
}

}  // namespace

bool CPreviewGeometry::ImageFits(int32_t width, int32_t height, int channels) {
    return int64_t{width} * height <= kMaxBytes / channels;
}

bool CPreviewGeometry::Init(const SC_PREVIEWPARAM &p, int ch, bool withMargins) {
    channels = ch;
    srcWidth = p.srcWidth;
    srcHeight = p.srcHeight;
    if (srcWidth <= 0 || srcHeight <= 0 || !ImageFits(srcWidth, srcHeight, ch))
        return false;
    area = {p.areaLeft, p.areaTop, p.areaWidth, p.areaHeight};
    if (area.left < 0 || area.top < 0 || area.width <= 0 || area.height <= 0 ||
        int64_t{area.left} + area.width > srcWidth || int64_t{area.top} + area.height > srcHeight)
        return false;
    if (p.outWidth == 0 && p.outHeight == 0) {
        outWidth = area.width;
        outHeight = area.height;
    } else if (p.outWidth > 0 && p.outHeight > 0) {
        outWidth = p.outWidth;
        outHeight = p.outHeight;
    } else {
        return false;
    }
    // A row is at most 3 * 2^31 + 3 bytes, so neither product can overflow.
    const int64_t row = PaddedRow(outWidth, ch);
    if (row > kMaxBytes || row * outHeight > kMaxBytes)
        return false;
    widened = area;
    if (withMargins) {
        const int left = std::max(0, area.left - kMargin);
        const int top = std::max(0, area.top - kMargin);
        const int right = std::min(srcWidth, area.left + area.width + kMargin);
        const int bottom = std::min(srcHeight, area.top + area.height + kMargin);
        widened = {left, top, right - left, bottom - top};
    }
    return true;
}

size_t CPreviewGeometry::OutRowBytes() const {
    return static_cast<size_t>(PaddedRow(outWidth, channels));
}

template <typename T, typename Convert>
CWorkImage<T> CPreviewGeometry::Cut(const uint8_t *in, Convert convert) const {
    CWorkImage<T> img(widened.width, widened.height, channels);
    for (int y = 0; y < widened.height; ++y) {
        const uint8_t *s = WidenedRow(in, y);
        std::transform(s, s + img.RowSamples(), img.Row(y), convert);
    }
    return img;
}

const uint8_t *CPreviewGeometry::WidenedRow(const uint8_t *in, int y) const {
    const size_t srcRow = static_cast<size_t>(srcWidth) * channels;
    return in + static_cast<size_t>(widened.top + y) * srcRow +
           static_cast<size_t>(widened.left) * channels;
}

std::array<uint16_t, 256> CPreviewGeometry::To12Table(const uint16_t *curve) {
    std::array<uint16_t, 256> lut;
    for (int v = 0; v < 256; ++v) {
        const uint16_t v12 = To12(static_cast<uint8_t>(v));
        lut[v] = curve != nullptr ? ApplyCurve(curve, v12) : v12;
    }
    return lut;
}

CImage8 CPreviewGeometry::Cut8(const uint8_t *in) const {
    return Cut<uint8_t>(in, [](uint8_t v) { return v; });
}

CWork12 CPreviewGeometry::Cut12(const uint8_t *in, const uint16_t *curve) const {
    // Conversion and curve folded into one table over the 256 input levels.
    const std::array<uint16_t, 256> lut = To12Table(curve);
    return Cut<uint16_t>(in, [&lut](uint8_t v) { return lut[v]; });
}

}  // namespace corvcolor
