#pragma once
// CBmpRleDecoder: the run-length coded pixels of a bitmap (compression 1,
// RLE8, for 8-bit and 2, RLE4, for 4-bit palette images) unpacked into the
// library's rows, top row first. The codes come bottom row first and may
// jump ahead (delta) or end early, so the whole page is decoded at once;
// pixels no code reaches keep palette index 0, as ImageMagick leaves them.
#include "ComFile.h"

#include <cstdint>
#include <vector>

namespace corv {

class CBmpRleDecoder {
public:
    // The most bytes the unpacked page may take.
    static constexpr uint64_t kMaxPageBytes = uint64_t{256} << 20;

    // Raises 10013 when the unpacked page would be over the cap; nothing
    // is allocated before Decode().
    CBmpRleDecoder(bool fourBit, int width, int height, size_t rowBytes);

    bool Decoded() const { return !m_page.empty(); }
    // Reads at most `length` bytes of codes from the stream's position. A
    // run or literal that passes the end of its row loses the pixels
    // beyond it; codes that end before the data does are an error (EOF).
    void Decode(CComFile &stream, uint64_t length);

    const uint8_t *Row(int y) const { return m_page.data() + size_t(y) * m_rowBytes; }

private:
    int NextByte();
    void Put(int x, int fileRow, int index);
    // Literal pixels, padded to a 16-bit boundary.
    void Absolute(int &x, int fileRow, int count);

    bool m_fourBit;
    int m_width, m_height;
    size_t m_rowBytes;
    std::vector<uint8_t> m_page;
    CComFile *m_stream = nullptr;
    uint64_t m_left = 0;
};

}  // namespace corv
