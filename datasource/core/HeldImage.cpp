#include "HeldImage.h"

#include <algorithm>
#include <cstring>

namespace {

uint32_t Get32(const uint8_t *p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t Get16(const uint8_t *p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

}  // namespace

uint32_t ExactRowSize(int bitsPerPixel, int32_t width) {
    if (width <= 0)
        return 0;
    const uint64_t w = static_cast<uint64_t>(width);
    const uint64_t bytes =
        bitsPerPixel == 1 ? (w + 7) / 8 : w * static_cast<uint64_t>(bitsPerPixel / 8);
    return bytes > UINT32_MAX ? 0 : static_cast<uint32_t>(bytes);
}

std::optional<CHeldImage> CHeldImage::Parse(const uint8_t *block, size_t size) {
    if (!block || size < 40)
        return std::nullopt;
    const uint32_t headerSize = Get32(block);
    const int32_t width = static_cast<int32_t>(Get32(block + 4));
    const int32_t height = static_cast<int32_t>(Get32(block + 8));
    const int bits = Get16(block + 14);
    const uint32_t compression = Get32(block + 16);
    const uint32_t used = Get32(block + 32);
    if (headerSize < 40 || headerSize > size || width <= 0 || height == 0 || height == INT32_MIN ||
        compression != 0 || (bits != 1 && bits != 8 && bits != 24))
        return std::nullopt;
    uint64_t colours = 0;
    if (bits <= 8)
        colours = used != 0 && used < (1u << bits) ? used : (1u << bits);
    const uint64_t stride = ((static_cast<uint64_t>(width) * bits + 31) / 32) * 4;
    const uint64_t absHeight =
        static_cast<uint64_t>(height < 0 ? -static_cast<int64_t>(height) : height);
    const uint64_t offset = headerSize + 4 * colours;
    if (offset + stride * absHeight > size)
        return std::nullopt;
    CHeldImage image;
    image.m_bits0 = block + offset;
    image.m_width = width;
    image.m_height = static_cast<int32_t>(absHeight);
    image.m_bits = bits;
    image.m_stride = static_cast<uint32_t>(stride);
    image.m_bottomUp = height > 0;
    return image;
}

bool CHeldImage::CopyRow(int64_t row, uint32_t skip, uint32_t bytes, uint8_t *out) const {
    if (row < 0 || row >= m_height || static_cast<uint64_t>(skip) + bytes > m_stride)
        return false;
    const int64_t stored = m_bottomUp ? m_height - 1 - row : row;
    std::memcpy(out, m_bits0 + static_cast<uint64_t>(stored) * m_stride + skip, bytes);
    return true;
}

CHeldArea CHeldImage::Area(int32_t jobWidth, int32_t jobHeight, int bitsPerPixel, int32_t left,
                           int32_t top) const {
    CHeldArea a;
    if (jobWidth <= 0) {
        a.width = m_width;
        a.exactRow = m_stride;
    } else {
        a.width = std::min(jobWidth, std::max(m_width - std::max(left, 0), 0));
        a.exactRow = ExactRowSize(bitsPerPixel, a.width);
    }
    a.height =
        jobHeight > 0 ? std::min(jobHeight, std::max(m_height - std::max(top, 0), 0)) : m_height;
    return a;
}
