#pragma once
// Helpers of the JPEG tests: writing a test page through CImgToJPEG into
// memory, and splitting a stream into its marker segments.
#include "ImgToJPEG.h"
#include "MemoryFile.h"

#include "../../tests/TestImages.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace corv::test {

inline std::vector<uint8_t> SourceRows(const TestPage &p, int padding) {
    std::vector<uint8_t> src;
    for (int y = 0; y < p.height; ++y) {
        auto row = p.rows.begin() + std::ptrdiff_t(y) * p.RowBytes();
        src.insert(src.end(), row, row + p.RowBytes());
        src.insert(src.end(), static_cast<size_t>(padding), 0xAB);
    }
    return src;
}

// Writes one page with the save path's quality option value (4 best .. 1).
inline std::vector<uint8_t> EncodeJpeg(const TestPage &p, int quality, size_t chunk = 65535,
                                       int padding = 0, double dpi = 300) {
    CMemoryFile f;
    f.Open(kOpenReadWrite);
    CJpegOption option;
    option.Quality = quality;
    CImgToJPEG w;
    w.Open(&option, &f);
    w.BeginPage(CImgParam(p.pixelType, p.width, p.height, p.RowBytes() + padding, dpi));
    std::vector<uint8_t> src = SourceRows(p, padding);
    for (size_t at = 0; at < src.size(); at += chunk)
        w.WriteData(std::min(chunk, src.size() - at), src.data() + at);
    w.EndPage();
    w.Close();
    return {f.Data(), f.Data() + f.Size()};
}

struct JpegSegment {
    uint8_t marker = 0;
    size_t offset = 0;             // of the 0xFF
    std::vector<uint8_t> payload;  // after the length field
};

struct JpegLayout {
    std::vector<JpegSegment> segments;  // SOI .. SOS, then EOI
    std::vector<uint8_t> restarts;      // RSTm numbers in stream order
    size_t entropyBytes = 0;            // bytes between SOS and EOI
    bool stuffedCorrectly = true;       // every 0xFF in the data is followed by 0x00 or RSTm
};

inline uint16_t Be16(const uint8_t *p) {
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

inline JpegLayout ParseJpeg(const std::vector<uint8_t> &b) {
    JpegLayout l;
    size_t i = 0;
    while (i + 1 < b.size() && b[i] == 0xFF) {
        JpegSegment s;
        s.marker = b[i + 1];
        s.offset = i;
        if (s.marker == 0xD8 || s.marker == 0xD9) {
            l.segments.push_back(s);
            i += 2;
            if (s.marker == 0xD9)
                return l;
            continue;
        }
        if (i + 4 > b.size())
            break;
        const size_t length = Be16(&b[i + 2]);
        if (length < 2 || i + 2 + length > b.size())
            break;
        s.payload.assign(b.begin() + std::ptrdiff_t(i + 4),
                         b.begin() + std::ptrdiff_t(i + 2 + length));
        l.segments.push_back(s);
        i += 2 + length;
        if (s.marker != 0xDA)
            continue;
        const size_t start = i;
        while (i + 1 < b.size()) {
            if (b[i] != 0xFF) {
                ++i;
                continue;
            }
            const uint8_t next = b[i + 1];
            if (next >= 0xD0 && next <= 0xD7) {
                l.restarts.push_back(next - 0xD0);
                i += 2;
            } else if (next == 0x00) {
                i += 2;
            } else {
                if (next != 0xD9)
                    l.stuffedCorrectly = false;
                break;
            }
        }
        l.entropyBytes = i - start;
    }
    return l;
}

inline std::vector<uint8_t> Markers(const JpegLayout &l) {
    std::vector<uint8_t> m;
    for (const JpegSegment &s : l.segments)
        m.push_back(s.marker);
    return m;
}

}  // namespace corv::test
