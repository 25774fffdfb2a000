#include "ComImage.h"

#include "BandConverter.h"
#include "ImageBand.h"
#include "ImageError.h"

namespace corv {
namespace {

struct KindInfo {
    int bitsPerPixel;
    int bitsPerSample;
    int samples;
};

// Indexed by colour kind − 1. Kind 6 is 5:5:5 colour in two bytes.
constexpr KindInfo kKinds[] = {
    {1, 1, 1}, {4, 4, 1}, {8, 8, 1}, {4, 4, 1}, {8, 8, 1}, {16, 5, 3}, {24, 8, 3}, {32, 8, 4},
};

const KindInfo &Info(int colourKind) {
    if (colourKind < 1 || colourKind > 8)
        RaiseImageError(kErrUnknownColourKind);
    return kKinds[colourKind - 1];
}

}  // namespace

CComImage::CComImage() = default;

CComImage::~CComImage() {
    if (!m_streamBorrowed)
        delete m_stream;
}

int CComImage::BytesPerRow(int width, int colourKind) {
    // In 64 bits: a reader's width may come from a file.
    return static_cast<int>((int64_t{width} * Info(colourKind).bitsPerPixel + 7) / 8);
}

int CComImage::BitsPerSample(int colourKind) {
    return Info(colourKind).bitsPerSample;
}

int CComImage::SamplesPerPixel(int colourKind) {
    return Info(colourKind).samples;
}

void CComImage::OpenRead(CComFile *) {
    RaiseImageError(kErrUnknownFormat);
}

void CComImage::DecodeRows(uint8_t *, int, size_t) {
    RaiseImageError(kErrUnknownFormat);
}

int32_t CComImage::FixedResolution(double dotsPerInch) {
    const double fixed = dotsPerInch * 65536.0 + 0.5;
    if (!(fixed > 0))
        return 0;
    return fixed >= 2147483647.0 ? 2147483647 : static_cast<int32_t>(fixed);
}

void CComImage::SetGeometry(int width, int height, int colourKind) {
    m_rect = {0, 0, width, height};
    m_colourKind = colourKind;
    m_bytesPerRow = BytesPerRow(width, colourKind);
    m_samplesPerPixel = SamplesPerPixel(colourKind);
    m_nextRow = 0;
}

int CComImage::ReadBand(ImageBand &band, int rows) {
    const int width = Width(), height = Height();
    rows = rows < height - m_nextRow ? rows : height - m_nextRow;
    if (rows < 0)
        rows = 0;
    band.Shape(m_colourKind, width, height, rows > 0 ? rows : 1);
    band.palette = m_palette;
    band.top = m_nextRow;
    band.bottom = m_nextRow + rows;
    if (rows > 0) {
        DecodeRows(band.Data(), rows, static_cast<size_t>(band.bytesPerRow));
        m_nextRow += rows;
    }
    return rows;
}

void CComImage::SetConversion(int colourKind, int method, const Palette *palette) {
    m_converter = std::make_unique<CBandConverter>(colourKind, method, palette);
}

void CComImage::ConvertBand(const ImageBand &source, ImageBand &target) {
    if (!m_converter)
        RaiseImageError(kErrInvalidArg);
    m_converter->Convert(source, target);
}

int CComImage::ReadConverted(ImageBand &target, int rows) {
    if (!m_readBand)
        m_readBand = std::make_unique<ImageBand>();
    const int got = ReadBand(*m_readBand, rows);
    ConvertBand(*m_readBand, target);
    return got;
}

}  // namespace corv
