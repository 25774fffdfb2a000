// Turns the server's padded rows into the rows a SANE frontend reads: the
// padding stripped, the page cut to the scan area, and 1-bit pixels
// inverted (the server sends 1 for white, SANE wants 1 for black).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct SCropArea {
    int32_t left = 0, top = 0, width = 0, height = 0;  // pixels
};

class CRowCropper {
public:
    // bitsPerPixel 1, 8 or 24; stride: bytes of one server row.
    CRowCropper(int bitsPerPixel, int32_t stride, const SCropArea &area);

    int32_t OutputRowBytes() const { return m_outRowBytes; }
    // Takes server bytes in any slicing; finished rows are appended to out.
    void Feed(const char *data, size_t size, std::string &out);

private:
    void EmitRow(std::string &out);

    int m_bits;
    int32_t m_stride;
    SCropArea m_area;
    int32_t m_outRowBytes;
    std::string m_row;
    int32_t m_rowIndex = 0;
};
