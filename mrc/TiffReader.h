#pragma once
// CTiffReader: reads the uncompressed pages our own TIFF writer produces
// (8-bit grey or 24-bit chunky RGB in strips), one page and one row at a
// time. Everything read from the file is checked against the file's size
// and fixed limits before it is used, so a broken or hostile file ends in
// a CMrcError instead of a huge allocation or a read outside the file.
#include "ComFile.h"
#include "MrcError.h"

#include <cstdint>
#include <set>
#include <vector>

namespace corv::mrc {

struct TiffPage {
    int width = 0;
    int height = 0;
    int samples = 0;  // 1 grey, 3 RGB
    bool invert = false;
    double xDpi = 0;
    double yDpi = 0;
    size_t RowBytes() const { return size_t(width) * size_t(samples); }
};

class CTiffReader {
public:
    // Sides and page bytes past these are refused: a 600 dpi A3 colour page
    // is about 7100 x 9950 pixels.
    static constexpr uint32_t kMaxSide = 20000;
    static constexpr uint64_t kMaxPageBytes = uint64_t{320} << 20;
    static constexpr int kMaxPages = 2000;
    static constexpr uint32_t kMaxEntries = 1024;

    // The stream stays the caller's and must be open for reading.
    explicit CTiffReader(CComFile &stream);

    // Parses the next directory; false when there is none left.
    bool NextPage(TiffPage &page);
    // Reads the page's next `count` rows into `out` (RowBytes() each), top
    // row first, grey values made black-is-zero.
    void ReadRows(uint8_t *out, int count);
    // Starts the current page's rows again from the top.
    void RewindPage() { m_row = 0; }

private:
    struct Entry {
        uint16_t tag;
        uint16_t type;
        uint32_t count;
        uint32_t valueOrOffset;
        uint8_t raw[4];
    };
    uint16_t U16(const uint8_t *p) const;
    uint32_t U32(const uint8_t *p) const;
    void ReadAt(uint64_t offset, void *bytes, size_t count);
    std::vector<uint32_t> Values(const Entry &e, uint32_t maxCount);
    uint32_t Scalar(const Entry &e);
    double Rational(const Entry &e);
    void CheckLayout(const TiffPage &page, uint32_t rowsPerStrip);

    CComFile &m_stream;
    uint64_t m_size = 0;
    bool m_big = false;
    uint32_t m_nextIfd = 0;
    std::set<uint32_t> m_seen;
    int m_pages = 0;

    TiffPage m_page;
    std::vector<uint32_t> m_offsets;
    std::vector<uint32_t> m_counts;
    uint32_t m_rowsPerStrip = 0;
    int m_row = 0;
};

}  // namespace corv::mrc
