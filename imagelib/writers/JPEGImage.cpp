#include "JPEGImage.h"

#include "ImageError.h"
#include "JpegLibrary.h"
#include "JpegTables.h"
#include "StreamCall.h"

#include <cstring>
#include <new>

namespace corv {
namespace {

constexpr int kMaxDensity = 65535;
constexpr int kDensityDotsPerInch = 1;
constexpr int kDensityDotsPerCm = 2;
constexpr int32_t kDefaultResolution = 72 << 16;

}  // namespace

CJPEGImage::CJPEGImage() {
    CJpegLibrary::Acquire();
    std::memcpy(m_luma, kJpegStdLumaQuant, sizeof m_luma);
    std::memcpy(m_chroma, kJpegStdChromaQuant, sizeof m_chroma);
}

CJPEGImage::~CJPEGImage() {
    m_encoder.reset();
    m_decoder.reset();
    CJpegLibrary::Release();
}

void CJPEGImage::ApplyPreset(int index) {
    if (index < 0 || index >= kJpegPresetCount)
        RaiseImageError(kErrJpegImage);
    const JpegPreset &p = kJpegPresets[index];
    SetSampling(p.lumaH, p.lumaV, p.chromaH, p.chromaV);
    SetTables(p.luma, p.chroma);
    m_presetApplied = true;
}

void CJPEGImage::SetSampling(int lumaH, int lumaV, int chromaH, int chromaV) {
    m_lumaH = lumaH;
    m_lumaV = lumaV;
    m_chromaH = chromaH;
    m_chromaV = chromaV;
}

void CJPEGImage::SetTables(const uint16_t luma[64], const uint16_t chroma[64]) {
    std::memcpy(m_luma, luma, sizeof m_luma);
    std::memcpy(m_chroma, chroma, sizeof m_chroma);
}

void CJPEGImage::SetComment(const uint8_t *bytes, size_t length) {
    m_comment.assign(bytes, bytes + length);
}

void CJPEGImage::Check(bool ok) {
    if (ok)
        return;
    const int code = JpegLastError();
    RaiseImageError(code != kJpegErrUndefined ? static_cast<uint32_t>(code) : kErrJpegImage);
}

void CJPEGImage::Configure(int colourKind) {
    CJpegEncoder &e = *m_encoder;
    const int components = colourKind == kKindRgb24 ? 3 : 1;
    const bool rgb = m_rgbComponents && components == 3;
    // JFIF means YCbCr: a stream of R, G, B components must not claim it.
    const bool headers = !m_noHeaders && !rgb;
    if (!m_comment.empty() && headers)
        Check(e.SetComment(m_comment.data(), m_comment.size()));
    e.SetWriteHeaders(headers);
    Check(e.SetCoding(m_coding));
    Check(e.SetComponentCount(components));
    e.SetColourTransform(!rgb);
    Check(e.SetInterleaved(components > 1));
    e.SetRestartRows(m_noRestart ? 0 : m_restartRows);
    for (int c = 0; c < components; ++c) {
        const bool luma = c == 0 || c == 3 || rgb;
        Check(e.SetSampling(c, luma ? m_lumaH : m_chromaH, luma ? m_lumaV : m_chromaV));
    }
    // A gray stream has one component; its factors mean nothing alone.
    if (components == 1)
        Check(e.SetSampling(0, 1, 1));
    uint16_t luma[64], chroma[64];
    std::memcpy(luma, m_luma, sizeof luma);
    std::memcpy(chroma, m_chroma, sizeof chroma);
    if (!m_presetApplied) {
        JpegScaleTable(luma, m_quality);
        JpegScaleTable(chroma, m_quality);
    }
    Check(e.SetQuantTable(0, luma));
    Check(e.SetQuantTable(1, chroma));
    for (int slot = 0; slot < kHuffSlots; ++slot)
        Check(e.SetHuffmanTable(slot, kJpegStdHuffman[slot]));
    static const int kRgbIds[3] = {'R', 'G', 'B'};
    for (int c = 0; c < components; ++c) {
        const int set = (c == 1 || c == 2) && !rgb ? 1 : 0;
        Check(e.MapComponent(c, set, set, set));
        if (rgb)
            Check(e.SetComponentId(c, kRgbIds[c]));
    }
    if (!m_markerOrder.empty())
        e.SetMarkerOrder(m_markerOrder.data(), m_markerOrder.size());
}

void CJPEGImage::OpenWrite(CComFile *stream, int width, int height, int colourKind,
                           int resolution) {
    if (!stream)
        RaiseImageError(kErrJpegImage);
    m_stream = stream;
    m_encoder.reset();
    try {
        CStreamCall call(*stream, m_streamBase, kOpenReadWrite);
        if (stream->Kind() != 4 && m_streamBase == 0)
            stream->SetLength(0);
        m_encoder = CJpegEncoder::Create(kJpegProcessJfif);
        Check(static_cast<bool>(m_encoder));
        if (colourKind != kKindGray8 && colourKind != kKindRgb24)
            RaiseImageError(kErrJpegImage);
        Configure(colourKind);
        Check(m_encoder->SetImageSize(width, height));
        int dpi = resolution > 0 ? resolution >> 16 : 0;
        dpi = dpi > kMaxDensity ? kMaxDensity : dpi;
        m_encoder->SetDensity(kDensityDotsPerInch, dpi, dpi);
        Check(m_encoder->Start(stream));
        m_encoder->FlushOutput();
        call.Done();
    } catch (const std::bad_alloc &) {
        RaiseImageError(kErrNoMemory);
    }
    m_width = width;
    m_height = height;
    m_colourKind = colourKind;
    m_samplesPerPixel = SamplesPerPixel(colourKind);
    m_bytesPerRow = BytesPerRow(width, colourKind);
    m_xResolution = m_yResolution = resolution;
    m_encodedLength = static_cast<int64_t>(m_encoder->BytesWritten());
}

void CJPEGImage::WriteBand(const ImageBand &band) {
    if (!m_encoder || !m_stream)
        RaiseImageError(kErrJpegImage);
    if (band.bottom < band.top || band.bytesPerRow < m_bytesPerRow)
        RaiseImageError(kErrJpegImage);
    try {
        CStreamCall call(*m_stream, m_streamBase + int64_t(m_encoder->BytesWritten()),
                         kOpenReadWrite);
        Check(m_encoder->WriteRows(band.Data(), band.bottom - band.top,
                                   static_cast<size_t>(band.bytesPerRow)));
        m_encoder->FlushOutput();
        call.Done();
    } catch (const std::bad_alloc &) {
        RaiseImageError(kErrNoMemory);
    }
    m_encodedLength = static_cast<int64_t>(m_encoder->BytesWritten());
}

void CJPEGImage::Finish() {
    if (!m_encoder || !m_stream)
        RaiseImageError(kErrJpegImage);
    CStreamCall call(*m_stream, m_streamBase + int64_t(m_encoder->BytesWritten()), kOpenReadWrite);
    Check(m_encoder->Finish());
    m_encodedLength = static_cast<int64_t>(m_encoder->BytesWritten());
    m_stream->Seek(m_streamBase, kSeekBegin);
    call.Done();
}

void CJPEGImage::OpenRead(CComFile *stream) {
    if (!stream)
        RaiseImageError(kErrJpegImage);
    m_stream = stream;
    CStreamCall call(*stream, m_streamBase, kOpenRead);
    const int64_t size = stream->Size();
    const uint64_t length = size > m_streamBase ? uint64_t(size - m_streamBase) : 0;
    StartReading(*stream, nullptr, length, -1);
    call.Done();
}

void CJPEGImage::OpenReadStrip(CComFile *stream, const std::vector<uint8_t> *tables,
                               uint64_t length, int colourTransform) {
    if (!stream)
        RaiseImageError(kErrJpegImage);
    m_stream = stream;
    SetStreamBorrowed(true);
    CStreamCall call(*stream, m_streamBase, kOpenRead);
    StartReading(*stream, tables, length, colourTransform);
    call.Done();
}

void CJPEGImage::StartReading(CComFile &stream, const std::vector<uint8_t> *tables, uint64_t length,
                              int colourTransform) {
    m_encoder.reset();
    try {
        m_decoder = std::make_unique<CJpegDecoder>(stream, length);
        if (tables && !tables->empty())
            m_decoder->ReadTables(tables->data(), tables->size());
        m_decoder->ReadHeader();
    } catch (const std::bad_alloc &) {
        RaiseImageError(kErrNoMemory);
    }
    CJpegDecoder &d = *m_decoder;
    if (d.Components() != 1 && d.Components() != 3)
        RaiseImageError(kErrJpegImage);
    if (colourTransform >= 0)
        d.SetColourTransform(colourTransform != 0);
    SetGeometry(d.Width(), d.Height(), d.Components() == 1 ? kKindGray8 : kKindRgb24);
    m_width = d.Width();
    m_height = d.Height();
    m_encodedLength = static_cast<int64_t>(length);
    m_comment = d.Comment();
    if (!d.HasJfif() || d.DensityUnit() == 0 || d.XDensity() == 0 || d.YDensity() == 0) {
        m_xResolution = m_yResolution = kDefaultResolution;
    } else {
        const double perInch = d.DensityUnit() == kDensityDotsPerCm ? 2.54 : 1.0;
        m_xResolution = FixedResolution(d.XDensity() * perInch);
        m_yResolution = FixedResolution(d.YDensity() * perInch);
    }
    // A re-encoding of what was read uses the file's own tables and sampling.
    uint16_t luma[64], chroma[64];
    if (d.QuantTable(0, luma)) {
        if (!d.QuantTable(1, chroma))
            std::memcpy(chroma, luma, sizeof chroma);
        SetTables(luma, chroma);
        m_presetApplied = true;
    }
    int lh, lv, ch, cv;
    d.Sampling(0, lh, lv);
    d.Sampling(1, ch, cv);
    SetSampling(lh, lv, ch, cv);
}

void CJPEGImage::DecodeRows(uint8_t *out, int rows, size_t stride) {
    if (!m_decoder || !m_stream)
        RaiseImageError(kErrJpegImage);
    CStreamCall call(*m_stream, m_streamBase + int64_t(m_decoder->Consumed()), kOpenRead);
    try {
        m_decoder->ReadRows(out, rows, stride);
    } catch (const std::bad_alloc &) {
        RaiseImageError(kErrNoMemory);
    }
    call.Done();
}

}  // namespace corv
