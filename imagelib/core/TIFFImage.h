#pragma once
// CTIFFImage: reads the first page of a TIFF file in strips: uncompressed,
// CCITT Group 3 and 4, LZW, PackBits and JPEG (each strip through an inner
// CJPEGImage). Everything the file states is checked against the file's
// length before it is used: a page that would need more decoded bytes than
// its strips can hold is refused before anything is allocated for it.
#include "ComImage.h"
#include "FaxDecoder.h"
#include "ImageBand.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace corv {

class CTIFFImage : public CComImage {
public:
    // Sides past this are refused (a 600 dpi page is under 20000 pixels).
    static constexpr uint32_t kMaxSide = 1u << 18;
    static constexpr uint32_t kMaxEntries = 4096;

    CTIFFImage();
    ~CTIFFImage() override;

    int FormatKind() const override { return 1; }
    void OpenRead(CComFile *stream) override;
    uint32_t NewSubfileType() const { return m_newSubfileType; }
    int Compression() const { return m_compression; }
    int Photometric() const { return m_photometric; }

    // Reading only: writing TIFF is CTIFFFileWriter's.
    void OpenWrite(CComFile *stream, int width, int height, int colourKind,
                   int resolution) override;
    void WriteBand(const ImageBand &band) override;
    void Finish() override;

protected:
    void DecodeRows(uint8_t *out, int rows, size_t stride) override;

private:
    struct Entry {
        uint16_t tag, type;
        uint32_t count;
        uint8_t value[4];
    };
    uint16_t U16(const uint8_t *p) const;
    uint32_t U32(const uint8_t *p) const;
    void ReadAt(uint64_t offset, void *bytes, size_t count);
    std::vector<uint32_t> Values(const Entry &e, uint32_t most);
    uint32_t Scalar(const Entry &e) { return Values(e, 1)[0]; }
    int32_t Resolution(const Entry &e);
    void ReadDirectory();
    void ChooseKind(int bits, int samples);
    void CheckStrips();
    uint64_t MostDecodedBytes(uint64_t stripBytes) const;
    void LoadStrip(uint32_t strip);
    void DecodeRow(uint8_t *out);

    uint64_t m_fileLength = 0;
    bool m_bigEndian = false;
    uint32_t m_width = 0, m_height = 0;
    uint32_t m_newSubfileType = 0;
    int m_compression = 1;
    int m_photometric = -1;
    uint32_t m_t4Options = 0;
    uint32_t m_predictor = 1;
    uint32_t m_rowsPerStrip = 0;
    std::vector<uint32_t> m_offsets, m_counts;
    std::vector<uint8_t> m_jpegTables;

    uint32_t m_strip = UINT32_MAX;  // the strip loaded
    uint32_t m_stripRow = 0;        // next row inside it
    uint32_t m_stripRows = 0;
    std::vector<uint8_t> m_raw;
    std::vector<uint8_t> m_decoded;
    std::unique_ptr<DFaxDecoder> m_fax;
    ImageBand m_jpegBand;
};

}  // namespace corv
