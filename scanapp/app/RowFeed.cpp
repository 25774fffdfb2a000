#include "RowFeed.h"

#include <algorithm>
#include <cstring>

CRowFeed::CRowFeed(CImgFileHolder &writer, const corv::CImgParam &page)
    : m_writer(writer),
      m_rowBytes(static_cast<uint32_t>(std::max(page.BytesPerRow, 0))),
      m_height(static_cast<uint32_t>(std::max(page.Height, 0))) {}

bool CRowFeed::WriteRow(const uint8_t *row, uint32_t length) {
    if (length >= m_rowBytes)
        return m_writer.WriteData(m_rowBytes, row);
    // A short or missing row is completed with zero bytes.
    m_scratch.assign(m_rowBytes, 0);
    if (length)
        std::memcpy(m_scratch.data(), row, length);
    return m_writer.WriteData(m_rowBytes, m_scratch.data());
}

bool CRowFeed::Take(uint32_t yOffset, uint32_t rows, uint32_t bytesPerRow, const uint8_t *data,
                    uint32_t bytesWritten) {
    if (bytesPerRow == 0)
        return true;
    // Only rows that were written count; a source claiming more must not
    // make us read past what it filled.
    rows = std::min(rows, bytesWritten / bytesPerRow);
    for (uint32_t r = 0; r < rows; ++r) {
        const uint64_t y = uint64_t{yOffset} + r;
        if (y < m_next)
            continue;
        if (y >= m_height)
            break;
        while (m_next < y) {
            if (!WriteRow(nullptr, 0))
                return false;
            ++m_next;
        }
        if (!WriteRow(data + size_t{r} * bytesPerRow, bytesPerRow))
            return false;
        ++m_next;
    }
    return true;
}

bool CRowFeed::Complete() {
    while (m_next < m_height) {
        if (!WriteRow(nullptr, 0))
            return false;
        ++m_next;
    }
    return true;
}
