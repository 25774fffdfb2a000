#include "BMPImage.h"

#include "ImageError.h"
#include "StreamCall.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace corv {
namespace {

constexpr uint32_t kFileHeader = 14;
constexpr uint32_t kInfoHeader = 40;
constexpr uint32_t kCompressionUnsupported = 10056;
constexpr uint32_t kCompressionRle8 = 1;
constexpr uint32_t kCompressionRle4 = 2;
constexpr double kMetresPerInch = 0.0254;
constexpr int32_t kDefaultResolution = 72 << 16;

uint16_t Le16(const uint8_t *p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t Le32(const uint8_t *p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
void Put16(uint8_t *p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t *p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

void ReadExactly(CComFile &stream, void *bytes, size_t count) {
    if (stream.Read(bytes, count) != count)
        RaiseImageError(kErrJpegEof);
}

int BitCountOf(int colourKind) {
    switch (colourKind) {
        case kKindBilevel:
            return 1;
        case kKindGray4:
        case kKindPalette4:
            return 4;
        case kKindGray8:
        case kKindPalette8:
            return 8;
        case kKindRgb24:
            return 24;
        default:
            RaiseImageError(kErrBmpBitCount);
    }
}

}  // namespace

void CBMPImage::OpenRead(CComFile *stream) {
    OpenForReading(stream, [this](uint64_t fileLength) { ReadHeaders(fileLength); });
}

void CBMPImage::ReadHeaders(uint64_t fileLength) {
    uint8_t h[kFileHeader + kInfoHeader];
    if (fileLength < sizeof h)
        RaiseImageError(kErrNotBmp);
    ReadExactly(*m_stream, h, sizeof h);
    const uint32_t infoSize = Le32(h + 14);
    if (h[0] != 'B' || h[1] != 'M' || infoSize < kInfoHeader || infoSize > fileLength)
        RaiseImageError(kErrNotBmp);
    m_pixelOffset = Le32(h + 10);
    const auto width = static_cast<int32_t>(Le32(h + 18));
    const auto height = static_cast<int32_t>(Le32(h + 22));
    m_bitCount = Le16(h + 28);
    const uint32_t compression = Le32(h + 30);
    const auto xPpm = static_cast<int32_t>(Le32(h + 38));
    const auto yPpm = static_cast<int32_t>(Le32(h + 42));
    const uint32_t used = Le32(h + 46);
    if (Le16(h + 26) != 1)
        RaiseImageError(kErrNotBmp);
    if (m_bitCount != 1 && m_bitCount != 4 && m_bitCount != 8 && m_bitCount != 24)
        RaiseImageError(kErrBmpBitCount);
    // Run-length coding fits only its own bit count, and bottom-up rows.
    const bool rle = (compression == kCompressionRle8 && m_bitCount == 8) ||
                     (compression == kCompressionRle4 && m_bitCount == 4);
    if ((compression != 0 && !rle) || (rle && height < 0))
        RaiseImageError(kCompressionUnsupported);
    m_rle.reset();
    m_topDown = height < 0;
    const int64_t rows = m_topDown ? -int64_t{height} : height;
    if (width <= 0 || rows == 0 || uint32_t(width) > kMaxSide || rows > kMaxSide)
        RaiseImageError(kErrJpegImageSize);
    // Rows are padded to four bytes; every row must lie inside the file.
    const uint64_t padded = (uint64_t(width) * uint64_t(m_bitCount) + 31) / 32 * 4;
    if (m_pixelOffset > fileLength ||
        (!rle && padded * uint64_t(rows) > fileLength - m_pixelOffset))
        RaiseImageError(kErrJpegEof);
    m_paddedRow = static_cast<uint32_t>(padded);
    int kind = m_bitCount == 1   ? kKindBilevel
               : m_bitCount == 4 ? kKindPalette4
               : m_bitCount == 8 ? kKindPalette8
                                 : kKindRgb24;
    m_palette.clear();
    m_invertBits = false;
    if (m_bitCount <= 8) {
        const uint32_t most = 1u << m_bitCount;
        ReadPalette(kFileHeader + uint64_t{infoSize}, used == 0 || used > most ? most : used);
        if (kind == kKindPalette8 && IsGrayRamp(m_palette, 256))
            kind = kKindGray8;
        if (kind == kKindPalette4 && IsGrayRamp(m_palette, 16))
            kind = kKindGray4;
        if (kind == kKindBilevel) {
            // The library's bits are 1 for white, whichever entry is lighter.
            auto lum = [&](size_t i) {
                return i < m_palette.size()
                           ? Luminance(m_palette[i].r, m_palette[i].g, m_palette[i].b)
                           : 0;
            };
            m_invertBits = lum(0) > lum(1);
            m_palette.clear();
        }
        if (kind == kKindGray4 || kind == kKindGray8)
            m_palette.clear();
    }
    SetGeometry(width, static_cast<int>(rows), kind);
    auto dpi = [](int32_t ppm) {
        return ppm <= 0 ? kDefaultResolution : FixedResolution(ppm * kMetresPerInch);
    };
    m_xResolution = xPpm == 0 || yPpm == 0 ? kDefaultResolution : dpi(xPpm);
    m_yResolution = xPpm == 0 || yPpm == 0 ? kDefaultResolution : dpi(yPpm);
    m_encodedLength =
        static_cast<int64_t>(rle ? fileLength - m_pixelOffset : padded * uint64_t(rows));
    if (rle)
        // Refused here, before any row is asked for, when the page is too big.
        m_rle = std::make_unique<CBmpRleDecoder>(m_bitCount == 4, width, int(rows),
                                                 size_t(m_bytesPerRow));
    else
        m_row.assign(m_paddedRow, 0);
}

void CBMPImage::ReadPalette(uint64_t at, uint32_t entries) {
    std::vector<uint8_t> raw(size_t(entries) * 4);
    m_stream->Seek(static_cast<int64_t>(at), kSeekBegin);
    ReadExactly(*m_stream, raw.data(), raw.size());
    m_palette.resize(entries);
    for (uint32_t i = 0; i < entries; ++i)
        m_palette[i] = {raw[i * 4 + 2], raw[i * 4 + 1], raw[i * 4]};
}

int64_t CBMPImage::RowOffset(int y) const {
    const int64_t fileRow = m_topDown ? y : int64_t{Height()} - 1 - y;
    return int64_t{m_pixelOffset} + fileRow * int64_t{m_paddedRow};
}

void CBMPImage::DecodeRle() {
    CStreamCall call(*m_stream, m_pixelOffset, kOpenRead);
    m_rle->Decode(*m_stream, static_cast<uint64_t>(m_encodedLength));
    call.Done();
}

void CBMPImage::DecodeRows(uint8_t *out, int rows, size_t stride) {
    if (m_rle) {
        if (!m_rle->Decoded())
            DecodeRle();
        for (int r = 0; r < rows; ++r)
            std::memcpy(out + size_t(r) * stride, m_rle->Row(m_nextRow + r), size_t(m_bytesPerRow));
        return;
    }
    CStreamCall call(*m_stream, RowOffset(m_nextRow), kOpenRead);
    const size_t rowBytes = size_t(m_bytesPerRow);
    for (int r = 0; r < rows; ++r) {
        m_stream->Seek(RowOffset(m_nextRow + r), kSeekBegin);
        ReadExactly(*m_stream, m_row.data(), m_row.size());
        uint8_t *o = out + size_t(r) * stride;
        if (m_bitCount == 24) {
            for (int x = 0; x < Width(); ++x) {
                o[3 * x] = m_row[3 * size_t(x) + 2];
                o[3 * x + 1] = m_row[3 * size_t(x) + 1];
                o[3 * x + 2] = m_row[3 * size_t(x)];
            }
        } else {
            std::memcpy(o, m_row.data(), rowBytes);
            if (m_invertBits)
                for (size_t i = 0; i < rowBytes; ++i)
                    o[i] = static_cast<uint8_t>(~o[i]);
        }
    }
    call.Done();
}

Palette CBMPImage::WritePalette() const {
    switch (m_colourKind) {
        case kKindBilevel:
            return GrayRamp(2);
        case kKindGray4:
            return GrayRamp(16);
        case kKindGray8:
            return GrayRamp(256);
        case kKindPalette4:
        case kKindPalette8:
            if (m_palette.empty() ||
                m_palette.size() > (m_colourKind == kKindPalette4 ? 16u : 256u))
                RaiseImageError(kErrInvalidArg);
            return m_palette;
        default:
            return {};
    }
}

void CBMPImage::OpenWrite(CComFile *stream, int width, int height, int colourKind, int resolution) {
    if (!stream)
        RaiseImageError(kErrInvalidArg);
    if (width <= 0 || height <= 0 || uint32_t(width) > kMaxSide || uint32_t(height) > kMaxSide)
        RaiseImageError(kErrJpegImageSize);
    m_bitCount = BitCountOf(colourKind);
    m_stream = stream;
    SetGeometry(width, height, colourKind);
    m_topDown = false;
    m_xResolution = m_yResolution = resolution;
    const Palette palette = WritePalette();
    m_paddedRow = static_cast<uint32_t>((uint64_t(width) * uint64_t(m_bitCount) + 31) / 32 * 4);
    m_pixelOffset = kFileHeader + kInfoHeader + 4 * static_cast<uint32_t>(palette.size());
    const uint64_t fileSize = m_pixelOffset + uint64_t(m_paddedRow) * uint64_t(height);
    if (fileSize > UINT32_MAX)
        RaiseImageError(kErrJpegImageSize);
    std::vector<uint8_t> h(m_pixelOffset, 0);
    h[0] = 'B';
    h[1] = 'M';
    Put32(&h[2], static_cast<uint32_t>(fileSize));
    Put32(&h[10], m_pixelOffset);
    Put32(&h[14], kInfoHeader);
    Put32(&h[18], static_cast<uint32_t>(width));
    Put32(&h[22], static_cast<uint32_t>(height));
    Put16(&h[26], 1);
    Put16(&h[28], static_cast<uint32_t>(m_bitCount));
    Put32(&h[34], static_cast<uint32_t>(uint64_t(m_paddedRow) * uint64_t(height)));
    const auto ppm =
        static_cast<uint32_t>(std::min(resolution / 65536.0 / kMetresPerInch + 0.5, 2147483647.0));
    Put32(&h[38], resolution > 0 ? ppm : 0);
    Put32(&h[42], resolution > 0 ? ppm : 0);
    Put32(&h[46], static_cast<uint32_t>(palette.size()));
    for (size_t i = 0; i < palette.size(); ++i) {
        uint8_t *e = &h[kFileHeader + kInfoHeader + 4 * i];
        e[0] = palette[i].b;
        e[1] = palette[i].g;
        e[2] = palette[i].r;
    }
    CStreamCall call(*stream, 0, kOpenReadWrite);
    if (stream->Kind() != 4)
        stream->SetLength(0);
    stream->Write(h.data(), h.size());
    stream->SetLength(static_cast<int64_t>(fileSize));
    m_encodedLength = static_cast<int64_t>(fileSize);
    m_row.assign(m_paddedRow, 0);
    call.Done();
}

void CBMPImage::WriteBand(const ImageBand &band) {
    if (!m_stream || band.colourKind != m_colourKind || band.top < 0 || band.bottom > Height() ||
        band.right - band.left != Width())
        RaiseImageError(kErrInvalidArg);
    CStreamCall call(*m_stream, RowOffset(band.top), kOpenReadWrite);
    const size_t rowBytes = size_t(m_bytesPerRow);
    for (int y = band.top; y < band.bottom; ++y) {
        const uint8_t *in = band.Row(y);
        if (m_bitCount == 24) {
            for (int x = 0; x < Width(); ++x) {
                m_row[3 * size_t(x)] = in[3 * x + 2];
                m_row[3 * size_t(x) + 1] = in[3 * x + 1];
                m_row[3 * size_t(x) + 2] = in[3 * x];
            }
        } else {
            std::memcpy(m_row.data(), in, rowBytes);
        }
        m_stream->Seek(RowOffset(y), kSeekBegin);
        m_stream->Write(m_row.data(), m_row.size());
    }
    call.Done();
}

void CBMPImage::Finish() {
    if (!m_stream)
        RaiseImageError(kErrInvalidArg);
    CStreamCall call(*m_stream, 0, kOpenReadWrite);
    m_stream->Flush();
    call.Done();
}

}  // namespace corv
