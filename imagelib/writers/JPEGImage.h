#pragma once
// CJPEGImage: the JPEG member of the image family. It keeps the encoder
// settings (sampling, tables, quality or preset, restart rows, comment),
// opens a baseline stream for writing, codes bands as they come and
// finishes the stream; or reads a JPEG file (or a TIFF's JPEG strip) row by
// row. Library failures are raised as their code.
#include "ComImage.h"
#include "ImageBand.h"
#include "JpegDecoder.h"
#include "JpegEncoder.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace corv {

class CJPEGImage : public CComImage {
public:
    CJPEGImage();
    ~CJPEGImage() override;

    int FormatKind() const override { return 2; }

    // Loads sampling and both tables of preset 0..10 (-3520 otherwise).
    void ApplyPreset(int index);
    // Only used when no preset was applied.
    void SetQuality(int quality) { m_quality = quality; }
    void SetSampling(int lumaH, int lumaV, int chromaH, int chromaV);
    void SetTables(const uint16_t luma[64], const uint16_t chroma[64]);
    void SetComment(const uint8_t *bytes, size_t length);
    // 1 DCT; 2 (lossless) is part of the format but not of this encoder
    // (the decoder reads lossless streams).
    void SetCoding(int coding) { m_coding = coding; }
    // Order of the DQT, DRI, SOF and DHT segments in the header.
    void SetMarkerOrder(const uint8_t *markers, size_t count) {
        m_markerOrder.assign(markers, markers + count);
    }
    void SetNoRestart(bool on) { m_noRestart = on; }
    void SetNoHeaders(bool on) { m_noHeaders = on; }
    void SetStreamBase(int64_t base) { m_streamBase = base; }
    // Codes colour pages as R, G, B components (identified 'R', 'G', 'B',
    // all with the luminance tables, no JFIF segment) instead of YCbCr.
    void SetRgbComponents(bool on) { m_rgbComponents = on; }
    int64_t StreamBase() const { return m_streamBase; }

    // `resolution` is 16.16 fixed-point dots per inch.
    void OpenWrite(CComFile *stream, int width, int height, int colourKind,
                   int resolution) override;
    void WriteBand(const ImageBand &band) override;
    void Finish() override;

    // Fills the fields from the stream at the stream base; rows follow
    // through ReadBand.
    void OpenRead(CComFile *stream) override;
    // A TIFF's JPEG strip: `length` bytes at the stream base, after the
    // file's JPEGTables when it has them; `colourTransform` 1 YCbCr, 0 RGB,
    // -1 as the stream says. The stream stays the caller's.
    void OpenReadStrip(CComFile *stream, const std::vector<uint8_t> *tables, uint64_t length,
                       int colourTransform);

    const CJpegEncoder *Encoder() const { return m_encoder.get(); }
    int LumaH() const { return m_lumaH; }
    int LumaV() const { return m_lumaV; }
    int ChromaH() const { return m_chromaH; }
    int ChromaV() const { return m_chromaV; }
    const uint16_t *LumaTable() const { return m_luma; }
    const uint16_t *ChromaTable() const { return m_chroma; }

protected:
    void DecodeRows(uint8_t *out, int rows, size_t stride) override;

private:
    void StartReading(CComFile &stream, const std::vector<uint8_t> *tables, uint64_t length,
                      int colourTransform);
    void Configure(int colourKind);
    void Check(bool ok);

    int m_lumaH = 2, m_lumaV = 1, m_chromaH = 1, m_chromaV = 1;
    uint16_t m_luma[64];
    uint16_t m_chroma[64];
    int m_quality = 75;
    bool m_presetApplied = false;
    std::vector<uint8_t> m_markerOrder;
    int m_coding = kJpegCodingDct;
    int m_restartRows = 8;
    bool m_noRestart = false;
    bool m_noHeaders = false;
    bool m_rgbComponents = false;
    int64_t m_streamBase = 0;
    int m_width = 0;
    int m_height = 0;
    std::unique_ptr<CJpegEncoder> m_encoder;
    std::unique_ptr<CJpegDecoder> m_decoder;
};

}  // namespace corv
