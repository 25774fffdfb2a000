#include "JPEGImage.h"

#include "ImageError.h"
#include "JpegLibrary.h"
#include "JpegTables.h"

#include <cstring>
#include <new>

namespace corv {
namespace {

// Buffer lent to an unbuffered stream for the length of one call.
constexpr long kCallBuffer = 16384;
constexpr int kMaxDensity = 65535;
constexpr int kDensityDotsPerInch = 1;

}  // namespace

// Lends the stream what one call needs: the file open, a buffer, the
// position where the stream continues. Done() gives both back and lets
// failures through; after an error the destructor does it quietly so that
// the first error is the one passed on.
class CJPEGImage::StreamCall {
public:
    StreamCall(CComFile &stream, int64_t position) : m_stream(stream) {
        try {
            if (!m_stream.IsOpen()) {
                m_stream.Open(kOpenReadWrite);
                m_opened = true;
            }
            if (m_stream.BufferSize() == 0) {
                m_stream.SetBuffer(kCallBuffer);
                m_buffered = true;
            }
            m_stream.Seek(position, kSeekBegin);
        } catch (...) {
            Abandon();
            throw;
        }
    }
    ~StreamCall() { Abandon(); }
    void Done() { Release(); }

private:
    void Abandon() noexcept {
        try {
            Release();
        } catch (...) {
            // An error is already on its way; this one would hide it.
        }
    }
    void Release() {
        if (m_buffered) {
            m_buffered = false;
            m_stream.SetBuffer(0);
        }
        if (m_opened) {
            m_opened = false;
            m_stream.CloseFile();
        }
    }
    CComFile &m_stream;
    bool m_opened = false;
    bool m_buffered = false;
};

CJPEGImage::CJPEGImage() {
    CJpegLibrary::Acquire();
    std::memcpy(m_luma, kJpegStdLumaQuant, sizeof m_luma);
    std::memcpy(m_chroma, kJpegStdChromaQuant, sizeof m_chroma);
}

CJPEGImage::~CJPEGImage() {
    m_encoder.reset();
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
        StreamCall call(*stream, m_streamBase);
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
        StreamCall call(*m_stream, m_streamBase + int64_t(m_encoder->BytesWritten()));
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
    StreamCall call(*m_stream, m_streamBase + int64_t(m_encoder->BytesWritten()));
    Check(m_encoder->Finish());
    m_encodedLength = static_cast<int64_t>(m_encoder->BytesWritten());
    m_stream->Seek(m_streamBase, kSeekBegin);
    call.Done();
}

}  // namespace corv
