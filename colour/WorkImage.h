#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace corvcolor {

// A packed image of interleaved samples: 16-bit words for the 12-bit working
// format, bytes for 8-bit images. Sizes are validated before construction.
template <typename T>
struct CWorkImage {
    CWorkImage(int w, int h, int ch)
        : width(w),
          height(h),
          channels(ch),
          samples(static_cast<size_t>(w) * static_cast<size_t>(h) * static_cast<size_t>(ch)) {}

    T *Row(int y) { return samples.data() + static_cast<size_t>(y) * RowSamples(); }
    const T *Row(int y) const { return samples.data() + static_cast<size_t>(y) * RowSamples(); }
    size_t RowSamples() const { return static_cast<size_t>(width) * static_cast<size_t>(channels); }

    int width;
    int height;
    int channels;
    std::vector<T> samples;
};

using CWork12 = CWorkImage<uint16_t>;
using CImage8 = CWorkImage<uint8_t>;

}  // namespace corvcolor
