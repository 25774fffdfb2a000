#include "DibLayout.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

void Put16(uint8_t *&p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p += 2;
}

void Put32(uint8_t *&p, uint32_t v) {
    Put16(p, v & 0xFFFFu);
    Put16(p, v >> 16);
}

}  // namespace

std::optional<CDibLayout> CDibLayout::Create(int32_t width, int32_t height, int bitsPerPixel,
                                             int32_t dpi) {
    if (width <= 0 || height <= 0 || (bitsPerPixel != 1 && bitsPerPixel != 8 && bitsPerPixel != 24))
        return std::nullopt;
    const uint64_t bits = static_cast<uint64_t>(width) * static_cast<uint64_t>(bitsPerPixel);
    const uint64_t stride = ((bits + 31) / 32) * 4;
    const uint64_t total =
        stride * static_cast<uint64_t>(height) + kFileHeaderBytes + kInfoHeaderBytes + 4u * 256u;
    // The file header holds the size in 32 bits, and GlobalAlloc takes a
    // 32-bit size in the source's world; a page past 2 GiB cannot be handed over.
    if (total > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()))
        return std::nullopt;
    CDibLayout layout;
    layout.m_width = width;
    layout.m_height = height;
    layout.m_bits = bitsPerPixel;
    layout.m_dpi = dpi > 0 ? dpi : 0;
    layout.m_stride = static_cast<uint32_t>(stride);
    layout.m_pixelBytes = static_cast<uint32_t>((bits + 7) / 8);
    return layout;
}

void CDibLayout::WriteInfoHeader(uint8_t *out, PpmRounding rounding) const {
    const double perMetre = m_dpi / 0.0254;
    const uint32_t ppm = static_cast<uint32_t>(
        rounding == PpmRounding::Nearest ? std::floor(perMetre + 0.5) : std::floor(perMetre));
    uint8_t *p = out;
    Put32(p, kInfoHeaderBytes);
    Put32(p, static_cast<uint32_t>(m_width));
    Put32(p, static_cast<uint32_t>(m_height));  // positive: bottom-up
    Put16(p, 1);                                // planes
    Put16(p, static_cast<uint32_t>(m_bits));
    Put32(p, 0);  // BI_RGB
    Put32(p, 0);  // image size may be 0 for uncompressed bitmaps
    Put32(p, ppm);
    Put32(p, ppm);
    Put32(p, 0);  // colours used: all of the depth
    Put32(p, 0);  // colours important: all
    const uint32_t entries = PaletteEntries();
    for (uint32_t i = 0; i < entries; ++i) {
        // A grey ramp whose last entry is white, so 1 bit gives black and white.
        const uint8_t grey = i + 1 == entries ? 255 : static_cast<uint8_t>(i * (256u >> m_bits));
        *p++ = grey;
        *p++ = grey;
        *p++ = grey;
        *p++ = 0;
    }
}

void CDibLayout::WriteFileHeader(uint8_t *out) const {
    uint8_t *p = out;
    *p++ = 'B';
    *p++ = 'M';
    Put32(p, FileBytes());
    Put16(p, 0);
    Put16(p, 0);
    Put32(p, kFileHeaderBytes + BitsOffset());
}

void CDibLayout::StoreRow(uint8_t *out, const uint8_t *row, uint32_t bytes) const {
    std::memcpy(out, row, bytes);
    if (m_bits == 24)
        SwapRedBlue(out, std::min(bytes / 3, static_cast<uint32_t>(m_width)));
}

void CDibLayout::SwapRedBlue(uint8_t *row, uint32_t pixels) {
    for (uint32_t i = 0; i < pixels; ++i, row += 3) {
        const uint8_t red = row[0];
        row[0] = row[2];
        row[2] = red;
    }
}
