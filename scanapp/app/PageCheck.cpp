#include "PageCheck.h"

void CPageCheck::Fault(const std::string &what) {
    // The first fault explains the others.
    if (m_fault.empty())
        m_fault = what;
}

void CPageCheck::BeginPage(const TW_IMAGEINFO &info) {
    m_info = info;
    m_inPage = true;
    m_rows = 0;
    m_bytesPerRow = 0;
    m_bytes = 0;
    m_fault.clear();
}

void CPageCheck::TakeRows(uint32_t firstRow, uint32_t rows, uint32_t bytesPerRow,
                          const uint8_t *data) {
    if (!m_inPage) {
        Fault("rows outside a page");
        return;
    }
    if (rows == 0)
        return;
    if (!data)
        Fault("a block without bytes");
    if (m_bytesPerRow == 0) {
        m_bytesPerRow = bytesPerRow;
        const uint64_t bits =
            static_cast<uint64_t>(m_info.ImageWidth > 0 ? m_info.ImageWidth : 0) *
            static_cast<uint64_t>(m_info.BitsPerPixel > 0 ? m_info.BitsPerPixel : 0);
        if (static_cast<uint64_t>(bytesPerRow) * 8 < bits)
            Fault("rows shorter than the image width");
    } else if (bytesPerRow != m_bytesPerRow) {
        Fault("the row length changed within the page");
    }
    if (firstRow != m_rows)
        Fault("rows out of order: row " + std::to_string(firstRow) + " where " +
              std::to_string(m_rows) + " was due");
    m_rows += rows;
    m_bytes += static_cast<uint64_t>(rows) * bytesPerRow;
}

void CPageCheck::EndPage() {
    if (!m_inPage)
        return;
    m_inPage = false;
    // A source that announced the length must deliver exactly that many rows;
    // -1 means it was not known in advance.
    if (m_info.ImageLength >= 0 && m_rows != static_cast<uint32_t>(m_info.ImageLength))
        Fault(std::to_string(m_rows) + " rows where " + std::to_string(m_info.ImageLength) +
              " were announced");
    if (m_rows == 0)
        Fault("no rows");
    m_lastFault = m_fault;
    m_lastBytes = m_bytes;
    m_lastRows = m_rows;
    if (m_fault.empty())
        ++m_complete;
    else
        ++m_faulty;
}

void CPageCheck::AbandonPage() {
    if (!m_inPage)
        return;
    m_inPage = false;
    m_lastFault = "abandoned";
    m_lastBytes = m_bytes;
    m_lastRows = m_rows;
    ++m_abandoned;
}
