// Rows of one page from memory-transfer blocks into a writer. A block
// holds `Rows` rows of `BytesPerRow` bytes from row `YOffset` on; the
// writer takes rows of the page's own length (the server pads grey rows
// to four bytes), each row once, top to bottom. Rows a source repeats are
// skipped, rows it leaves out are written blank, rows past the page's
// height are dropped: whatever the source sends, the file holds exactly
// the page it announced.
#pragma once

#include <cstdint>
#include <vector>

#include "ImgFileHolder.h"
#include "ImgParam.h"

class CRowFeed {
public:
    CRowFeed(CImgFileHolder &writer, const corv::CImgParam &page);

    // False when the writer failed.
    bool Take(uint32_t yOffset, uint32_t rows, uint32_t bytesPerRow, const uint8_t *data,
              uint32_t bytesWritten);
    // Blank rows up to the page's height; false when the writer failed.
    bool Complete();
    uint32_t RowsWritten() const { return m_next; }

private:
    bool WriteRow(const uint8_t *row, uint32_t length);

    CImgFileHolder &m_writer;
    uint32_t m_rowBytes;
    uint32_t m_height;
    uint32_t m_next = 0;
    std::vector<uint8_t> m_scratch;
};
