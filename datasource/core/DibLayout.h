// The device-independent bitmap a page becomes in a native or file
// transfer: bottom-up rows at a 4-byte stride, a grey palette for 1 and 8
// bits, and the headers written byte by byte in little-endian order so the
// same code serves the global-memory DIB and the BMP file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

class CDibLayout {
public:
    static constexpr uint32_t kInfoHeaderBytes = 40;
    static constexpr uint32_t kFileHeaderBytes = 14;

    // Pixels per metre from dots per inch: the DIB in memory truncates, the
    // BMP file rounds to nearest.
    enum class PpmRounding { Truncate, Nearest };

    // Nothing when the picture cannot be described: no pixels, a depth
    // other than 1, 8 or 24, or more bytes than a 32-bit size can hold.
    static std::optional<CDibLayout> Create(int32_t width, int32_t height, int bitsPerPixel,
                                            int32_t dpi);

    int32_t Width() const { return m_width; }
    int32_t Height() const { return m_height; }
    int BitsPerPixel() const { return m_bits; }
    uint32_t Stride() const { return m_stride; }
    // Bytes of a row that carry pixels; the rest of the stride is padding.
    uint32_t PixelBytes() const { return m_pixelBytes; }
    uint32_t PaletteEntries() const { return m_bits <= 8 ? 1u << m_bits : 0u; }
    // Offset of the bits from the start of the info header.
    uint32_t BitsOffset() const { return kInfoHeaderBytes + 4 * PaletteEntries(); }
    uint32_t BitsBytes() const { return m_stride * static_cast<uint32_t>(m_height); }
    // Info header, palette and bits: the size of a packed DIB.
    uint32_t PackedBytes() const { return BitsOffset() + BitsBytes(); }
    uint32_t FileBytes() const { return kFileHeaderBytes + PackedBytes(); }

    // Offset within the bits of received row g (0 = top of the picture).
    uint32_t RowOffset(int32_t receivedRow) const {
        return static_cast<uint32_t>(m_height - 1 - receivedRow) * m_stride;
    }

    // Writes the 40-byte BITMAPINFOHEADER followed by the palette.
    void WriteInfoHeader(uint8_t *out, PpmRounding rounding) const;
    void WriteFileHeader(uint8_t *out) const;

    // Copies `bytes` bytes of a received row to `out`, 24-bit pixels turned
    // from the server's red, green, blue into the DIB's blue, green, red.
    void StoreRow(uint8_t *out, const uint8_t *row, uint32_t bytes) const;

    // Server rows carry red, green, blue; a DIB wants blue, green, red.
    static void SwapRedBlue(uint8_t *row, uint32_t pixels);

private:
    CDibLayout() = default;

    int32_t m_width = 0;
    int32_t m_height = 0;
    int m_bits = 0;
    int32_t m_dpi = 0;
    uint32_t m_stride = 0;
    uint32_t m_pixelBytes = 0;
};
