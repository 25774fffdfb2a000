#include "ImgToJPEG.h"

#include "ImageError.h"
#include "JPEGImage.h"
#include "JpegTables.h"
#include "TIFFFileWriter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

namespace corv {
namespace {

int ColourKindFor(int pixelType) {
    switch (pixelType) {
        case kPixelGray:
            return kKindGray8;
        case kPixelRgb:
            return kKindRgb24;
        default:
            // Bilevel pages are never JPEG-coded; the image refuses kind 1.
            return kKindBilevel;
    }
}

// 16.16 fixed point, truncated; resolutions beyond its range are clipped.
int FixedResolution(double dpi) {
    const double fixed = std::floor(dpi * 65536.0);
    if (!(fixed > 0))
        return 0;
    if (fixed >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return static_cast<int>(fixed);
}

}  // namespace

CImgToJPEG::~CImgToJPEG() = default;

void CImgToJPEG::BeginPage(const CImgParam &param) {
    // A JPEG stream holds one picture; a second page would overwrite it.
    if (m_pageBegun || !m_stream)
        RaiseImageError(kErrJpegImage);
    m_pageBegun = true;
    CImgToFile::BeginPage(param);
    const int kind = ColourKindFor(param.PixelType);
    if (kind == kKindBilevel || param.Width < 1 || param.Height < 1 ||
        param.BytesPerRow < CComImage::BytesPerRow(param.Width, kind))
        RaiseImageError(kErrJpegImage);
    // Open the file before anything is written so that a failure from here
    // on deletes it rather than leaving an empty or partial file behind.
    if (m_ownsStream && !m_opened) {
        m_stream->Open(kOpenReadWrite);
        m_opened = true;
    }
    const CJpegOption *option = dynamic_cast<const CJpegOption *>(m_option);
    std::unique_ptr<CJPEGImage> image(new (std::nothrow) CJPEGImage);
    if (!image)
        RaiseImageError(kErrNoMemory);
    image->SetStreamBorrowed(true);
    image->ApplyPreset(JpegPresetForQuality(option ? option->Quality : CJpegOption().Quality));
    if (option && option->StreamOffset > 0)
        image->SetStreamBase(option->StreamOffset);
    if (option)
        image->SetRgbComponents(option->RgbComponents);
    image->OpenWrite(m_stream, param.Width, param.Height, kind, FixedResolution(param.Resolution));
    m_image = std::move(image);

    m_band.reset(new (std::nothrow) ImageBand);
    if (!m_band)
        RaiseImageError(kErrNoMemory);
    // The band keeps the source rows as delivered (padding included); only
    // the first Width pixels of each are coded.
    m_band->Shape(kKindGray8, param.BytesPerRow, param.Height, kBandRows);
    m_band->colourKind = kind;
    m_band->samplesPerPixel = CComImage::SamplesPerPixel(kind);
    m_band->imageWidth = m_band->right = param.Width;
    m_bandFill = 0;
    m_bandRow = 0;
}

void CImgToJPEG::EncodeBand(int rows) {
    m_band->top = m_bandRow;
    m_band->bottom = m_bandRow + rows;
    m_image->WriteBand(*m_band);
    m_bandRow += rows;
    m_bandFill = 0;
}

void CImgToJPEG::WriteData(size_t length, const uint8_t *bytes) {
    if (!m_image || !m_band)
        RaiseImageError(kErrJpegImage);
    const size_t bandBytes = size_t(m_param.BytesPerRow) * kBandRows;
    while (length) {
        const size_t n = std::min(length, bandBytes - m_bandFill);
        std::memcpy(m_band->Data() + m_bandFill, bytes, n);
        m_bandFill += n;
        bytes += n;
        length -= n;
        if (m_bandFill == bandBytes)
            EncodeBand(kBandRows);
    }
}

void CImgToJPEG::EndPage() {
    if (!m_image || !m_band)
        RaiseImageError(kErrJpegImage);
    const int rows = static_cast<int>(m_bandFill / size_t(m_param.BytesPerRow));
    if (rows > 0)
        EncodeBand(rows);
    m_image->Finish();
}

void RegisterJpegStripWriter() {
    CTIFFFileWriter::SetJpegStripWriter([](CComFile &stream, bool gray, uint32_t width,
                                           uint32_t rows, uint32_t rowBytes, uint32_t resolution,
                                           const uint8_t *data) {
        CJpegOption option;
        option.Quality = 2;
        // The strip's tags say RGB, and TIFF readers take the JPEG
        // components to be what PhotometricInterpretation names.
        option.RgbComponents = true;
        const int64_t start = stream.Tell();
        if (start > std::numeric_limits<int32_t>::max())
            RaiseImageError(kErrJpegImage);
        option.StreamOffset = static_cast<int32_t>(start);
        CImgToJPEG writer;
        writer.Open(&option, &stream);
        writer.BeginPage(CImgParam(gray ? kPixelGray : kPixelRgb, static_cast<int>(width),
                                   static_cast<int>(rows), static_cast<int>(rowBytes), resolution));
        writer.WriteData(size_t(rows) * rowBytes, data);
        writer.EndPage();
        writer.Close();
    });
}

}  // namespace corv
