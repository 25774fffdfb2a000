#pragma once

#include "WorkImage.h"
#include "corvcolor.h"

#include <array>

namespace corvcolor {

struct CRect {
    int left;
    int top;
    int width;
    int height;
};

// Everything a preview call derives from the sizes in its block, checked once
// before any pixel is touched: the source image, the area inside it, the area
// widened by the filter margins (clipped to the image), and the output size.
class CPreviewGeometry {
public:
    // Filter margin on each side of the area, the reach of the 5 x 5 kernel.
    static constexpr int kMargin = 2;

    // Whether width x height pixels of `channels` bytes stay below 2^31
    // bytes; the sizes must be positive. Divides instead of multiplying the
    // third factor, whose product could overflow even 64 bits.
    static bool ImageFits(int32_t width, int32_t height, int channels);

    // False for a block that does not describe an area inside the image or
    // whose byte counts do not fit a 32-bit signed size.
    bool Init(const SC_PREVIEWPARAM &p, int channels, bool withMargins);

    int channels = 0;
    int srcWidth = 0;
    int srcHeight = 0;
    CRect area{};
    CRect widened{};
    int outWidth = 0;
    int outHeight = 0;

    size_t OutRowBytes() const;

    // The widened area of the source, as 8-bit samples or in 12-bit form,
    // the latter through the caller's tone curve when one is given.
    CImage8 Cut8(const uint8_t *in) const;
    CWork12 Cut12(const uint8_t *in, const uint16_t *curve = nullptr) const;

    // First sample of row y of the widened area in the source image.
    const uint8_t *WidenedRow(const uint8_t *in, int y) const;
    // 8-bit samples to 12 bits and through the curve, when one is given.
    static std::array<uint16_t, 256> To12Table(const uint16_t *curve);

private:
    template <typename T, typename Convert>
    CWorkImage<T> Cut(const uint8_t *in, Convert convert) const;
};

}  // namespace corvcolor
