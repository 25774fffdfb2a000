// A read-only view of the held prescan image, a packed DIB (info header,
// colour table, bits), and the row copies transfers take from it. The
// block comes from the preview, but its header still decides every offset
// taken from it, so it is checked against the block's size first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

// What a transfer from the held image delivers: the job's pixel size where
// it has one, else the whole image, never reaching past the image from the
// area's offsets; rows of the exact row size, or of the image's own stride
// when the job knows no width.
struct CHeldArea {
    int32_t width = 0;
    int32_t height = 0;
    uint32_t exactRow = 0;
};

class CHeldImage {
public:
    // Nothing when the block does not hold a whole uncompressed DIB.
    static std::optional<CHeldImage> Parse(const uint8_t *block, size_t size);

    int32_t Width() const { return m_width; }
    int32_t AbsHeight() const { return m_height; }
    int BitCount() const { return m_bits; }
    uint32_t Stride() const { return m_stride; }

    // Copies `bytes` bytes of picture row `row` (0 = the top of the
    // picture, wherever the DIB's orientation stores it) starting `skip`
    // bytes into it. False, copying nothing, when that reaches outside the
    // row or the image.
    bool CopyRow(int64_t row, uint32_t skip, uint32_t bytes, uint8_t *out) const;

    CHeldArea Area(int32_t jobWidth, int32_t jobHeight, int bitsPerPixel, int32_t left = 0,
                   int32_t top = 0) const;

private:
    CHeldImage() = default;

    const uint8_t *m_bits0 = nullptr;
    int32_t m_width = 0;
    int32_t m_height = 0;
    int m_bits = 0;
    uint32_t m_stride = 0;
    // A positive DIB height stores the bottom row first.
    bool m_bottomUp = true;
};

// Bytes of one transferred row: whole bytes for 1 bit, else bytes per
// pixel times the width.
uint32_t ExactRowSize(int bitsPerPixel, int32_t width);
