// A page sink that keeps nothing: it checks that each page arrived whole
// (every announced row once, in order, rows of one length that holds the
// announced width) and lets the bytes go. It stands where the file writers
// will, and tells what arrived.
#pragma once

#include <string>

#include "PageSink.h"

class CPageCheck : public IPageSink {
public:
    void BeginPage(const TW_IMAGEINFO &info) override;
    void TakeRows(uint32_t firstRow, uint32_t rows, uint32_t bytesPerRow,
                  const uint8_t *data) override;
    void EndPage() override;
    void AbandonPage() override;

    int PagesComplete() const { return m_complete; }
    int PagesFaulty() const { return m_faulty; }
    int PagesAbandoned() const { return m_abandoned; }
    // What was wrong with the last page ended; empty when it was whole.
    const std::string &LastFault() const { return m_lastFault; }
    // The last page's size as received: rows x bytes per row.
    uint64_t LastPageBytes() const { return m_lastBytes; }
    uint32_t LastPageRows() const { return m_lastRows; }

private:
    void Fault(const std::string &what);

    TW_IMAGEINFO m_info{};
    bool m_inPage = false;
    uint32_t m_rows = 0;
    uint32_t m_bytesPerRow = 0;
    uint64_t m_bytes = 0;
    std::string m_fault;

    int m_complete = 0;
    int m_faulty = 0;
    int m_abandoned = 0;
    std::string m_lastFault;
    uint64_t m_lastBytes = 0;
    uint32_t m_lastRows = 0;
};
