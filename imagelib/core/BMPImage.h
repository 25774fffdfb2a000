#pragma once
// CBMPImage: Windows bitmaps (14-byte file header, 40-byte information
// header or a longer one, uncompressed rows padded to four bytes, bottom
// row first; 4- and 8-bit images also run-length coded). Reading maps the bit count to a colour
// kind; writing takes the rows top first and puts each in its place from the bottom.
#include "BmpRleDecoder.h"
#include "ComImage.h"
#include "ImageBand.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace corv {

class CBMPImage : public CComImage {
public:
    static constexpr uint32_t kMaxSide = 1u << 18;

    int FormatKind() const override { return 6; }
    void OpenRead(CComFile *stream) override;
    // Kinds 1, 2, 3, 4, 5 (with SetPalette) and 7.
    void OpenWrite(CComFile *stream, int width, int height, int colourKind,
                   int resolution) override;
    void WriteBand(const ImageBand &band) override;
    void Finish() override;

    int BitCount() const { return m_bitCount; }

protected:
    void DecodeRows(uint8_t *out, int rows, size_t stride) override;

private:
    void ReadHeaders(uint64_t fileLength);
    void ReadPalette(uint64_t at, uint32_t entries);
    int64_t RowOffset(int y) const;
    Palette WritePalette() const;

    void DecodeRle();

    int m_bitCount = 0;
    std::unique_ptr<CBmpRleDecoder> m_rle;
    bool m_topDown = false;
    bool m_invertBits = false;
    uint32_t m_pixelOffset = 0;
    uint32_t m_paddedRow = 0;
    std::vector<uint8_t> m_row;
};

}  // namespace corv
