#include "RowCropper.h"

#include <algorithm>

CRowCropper::CRowCropper(int bitsPerPixel, int32_t stride, const SCropArea &area)
    : m_bits(bitsPerPixel), m_stride(stride), m_area(area) {
    m_outRowBytes = m_bits == 1 ? (m_area.width + 7) / 8 : m_area.width * (m_bits / 8);
    m_row.reserve(static_cast<size_t>(m_stride));
}

void CRowCropper::Feed(const char *data, size_t size, std::string &out) {
    while (size > 0) {
        const size_t take = std::min(size, static_cast<size_t>(m_stride) - m_row.size());
        m_row.append(data, take);
        data += take;
        size -= take;
        if (m_row.size() == static_cast<size_t>(m_stride)) {
            EmitRow(out);
            m_row.clear();
            ++m_rowIndex;
        }
    }
}

void CRowCropper::EmitRow(std::string &out) {
    if (m_rowIndex < m_area.top || m_rowIndex >= m_area.top + m_area.height)
        return;
    if (m_bits != 1) {
        const size_t bytesPerPixel = static_cast<size_t>(m_bits / 8);
        out.append(m_row, static_cast<size_t>(m_area.left) * bytesPerPixel,
                   static_cast<size_t>(m_outRowBytes));
        return;
    }
    const auto *row = reinterpret_cast<const unsigned char *>(m_row.data());
    const size_t start = out.size();
    out.append(static_cast<size_t>(m_outRowBytes), '\0');
    for (int32_t x = 0; x < m_area.width; ++x) {
        const int32_t src = m_area.left + x;
        const bool white = (row[src >> 3] >> (7 - (src & 7))) & 1;
        if (!white)
            out[start + static_cast<size_t>(x >> 3)] |= static_cast<char>(0x80 >> (x & 7));
    }
}
