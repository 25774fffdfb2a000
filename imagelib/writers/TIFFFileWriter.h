#pragma once
// CTIFFFileWriter: builds a little-endian baseline TIFF on a stream, page
// after page. Each page's IFD is written before its strips with the strip
// tables still zero and rewritten in place when the page ends, so strips
// go to the file as they fill and are never rewritten.
#include "ComFile.h"
#include "LzwCoder.h"
#include "TIFFTagWriter.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace corv {

// Kinds of page the writer knows.
enum : int { kTiffBilevel = 0, kTiffGray = 1, kTiffRgb = 2, kTiffCmyk = 3 };

// TIFF compression codes the writer produces.
enum : int {
    kCompressNone = 1,
    kCompressG3 = 3,
    kCompressG4 = 4,
    kCompressLzw = 5,
    kCompressJpeg = 7,
    kCompressPackBits = 32773,
};

struct TIFFStripBuffer {
    std::unique_ptr<uint8_t[]> data;
    uint32_t index = 0;
    uint32_t fill = 0;
};

// Writes one JPEG strip (rows of `rowBytes` bytes, gray or RGB) at the
// stream's current position. Installed by the JPEG writer when it is built
// in; without it compression 7 is refused.
using JpegStripWriter =
    std::function<void(CComFile &stream, bool gray, uint32_t width, uint32_t rows,
                       uint32_t rowBytes, uint32_t resolution, const uint8_t *data)>;

class CTIFFFileWriter {
public:
    CTIFFFileWriter() = default;
    ~CTIFFFileWriter();
    CTIFFFileWriter(const CTIFFFileWriter &) = delete;
    CTIFFFileWriter &operator=(const CTIFFFileWriter &) = delete;

    void Attach(CComFile *stream);
    void BeginPage(uint32_t width, uint32_t height, int kind, bool planar, int bitsPerSample,
                   int compression, uint32_t xResolution, uint32_t yResolution,
                   bool photometricFlag, uint32_t stripTarget);
    void WriteRows(const uint8_t *bytes, size_t length, int plane);
    void EndPage();
    // Cuts the file back to where the open page began.
    void DropPage();
    void Detach();

    static void SetJpegStripWriter(JpegStripWriter writer);
    static bool HasJpegStripWriter();

    uint32_t RowsPerStrip() const { return m_rowsPerStrip; }
    uint32_t StripsPerPlane() const { return m_stripsPerPlane; }
    uint32_t RowBytes() const { return m_rowBytes; }
    int PageCount() const { return m_pageCount; }

private:
    uint32_t Offset();
    // The stages of BeginPage: the page checked, the IFD's place, the
    // sample layout, the strip geometry, then the tags and the IFD itself.
    void ValidatePage(uint32_t width, uint32_t height, int kind, int compression,
                      uint32_t stripTarget);
    void StartIfd();
    void SetSampleLayout(bool planar, bool photometricFlag);
    void SetStripGeometry(uint32_t stripTarget);
    void BuildTags();
    CTIFFTagWriter *AddTag(uint16_t tag, uint16_t type, uint32_t count, uint32_t value);
    void WriteIfd();
    void StoreStrip(int plane);
    void StoreFax(const TIFFStripBuffer &strip);
    void StorePackBits(const TIFFStripBuffer &strip);
    void StoreLzw(const TIFFStripBuffer &strip);
    void StoreJpeg(const TIFFStripBuffer &strip);
    void FreePage();

    uint32_t m_linkOffset = 4;
    uint32_t m_ifdOffset = 0;
    uint32_t m_firstSubfileTypeOffset = 0;
    uint32_t m_nextIfdSlot = 0;
    int m_pageCount = 0;
    // The file's length before the open page's IFD.
    int64_t m_pageStart = 0;
    int m_kind = 0;
    uint32_t m_width = 0;
    uint32_t m_height = 0;
    int m_bitsPerSample = 0;
    int m_compression = kCompressNone;
    int m_photometric = 0;
    int m_samplesPerPixel = 1;
    uint32_t m_rowsPerStrip = 0;
    uint32_t m_xResolution = 0;
    uint32_t m_yResolution = 0;
    int m_resolutionUnit = 2;
    int m_planarConfiguration = 1;
    int m_planeCount = 1;
    uint32_t m_rowBytes = 0;
    uint32_t m_stripBytes = 0;
    uint32_t m_stripsPerPlane = 0;
    CComFile *m_stream = nullptr;
    CTIFFTagWriter *m_tags = nullptr;
    CTIFFTagWriter *m_subfileTypeTag = nullptr;
    CTIFFTagWriter *m_stripOffsetsTag = nullptr;
    CTIFFTagWriter *m_stripByteCountsTag = nullptr;
    TIFFStripBuffer m_strips[4];
    std::unique_ptr<uint8_t[]> m_work;
    LzwCoderPtr m_lzw;
};

}  // namespace corv
