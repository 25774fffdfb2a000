#include "PDFXObjImage.h"

#include "EncoderG4.h"
#include "ImageError.h"
#include "PdfText.h"

#include <algorithm>
#include <cstring>

namespace corv {
namespace {

constexpr const char *kAscii85Filter = "/ASCII85Decode ";
constexpr const char *kDctFilter = "/DCTDecode ";
constexpr const char *kFaxFilter = "/CCITTFaxDecode ";

// Room for the end code (six EOLs or EOFB) and the last partial byte on
// top of the worst-case code of a row, even on the narrowest pages.
constexpr size_t kCodeSlack = 16;

}  // namespace

CPDFXObjImage::CPDFXObjImage(CComFile *stream, const CImgParam &param, const CPdfOption &option,
                             int number, int lengthNumber)
    : m_stream(stream),
      m_param(param),
      m_option(option),
      m_number(number),
      m_lengthNumber(lengthNumber),
      m_coder(CoderFor(param, option)),
      m_sourceRowBytes(static_cast<size_t>(param.BytesPerRow)),
      m_packedRowBytes(PackedRowBytes(param)) {
    m_jpegOption.Quality = option.JpegQuality;
}

CPDFXObjImage::~CPDFXObjImage() = default;

size_t CPDFXObjImage::PackedRowBytes(const CImgParam &param) {
    const size_t w = static_cast<size_t>(param.Width > 0 ? param.Width : 0);
    switch (param.PixelType) {
        case kPixelBilevel:
            return (w + 7) / 8;
        case kPixelGray:
            return w;
        default:
            return 3 * w;
    }
}

CPDFXObjImage::Coder CPDFXObjImage::CoderFor(const CImgParam &param, const CPdfOption &option) {
    if (param.PixelType == kPixelBilevel) {
        if (option.BilevelCompression == kPdfBilevelG3)
            return Coder::G3;
        if (option.BilevelCompression == kPdfBilevelG4)
            return Coder::G4;
        return Coder::Raw;
    }
    return option.ColorCompression == kPdfColorJpeg ? Coder::Jpeg : Coder::Raw;
}

std::string CPDFXObjImage::FilterLines(const CImgParam &param, const CPdfOption &option) {
    const Coder coder = CoderFor(param, option);
    std::string names;
    int count = 0;
    if (option.Ascii85)
        names += kAscii85Filter, ++count;
    if (coder == Coder::Jpeg)
        names += kDctFilter, ++count;
    const bool fax = coder == Coder::G3 || coder == Coder::G4;
    if (fax)
        names += kFaxFilter, ++count;
    std::string lines;
    if (count == 1)
        lines = "/Filter " + names + "\n";
    else if (count == 2)
        lines = "/Filter [ " + names + "]\n";
    if (fax) {
        // Our encoders neither align lines to bytes nor code black as 1, so
        // /EncodedByteAlign and /BlackIs1 keep their defaults.
        const short k = coder == Coder::G3 ? 0 : -1;
        const long columns = param.Width;
        lines += option.Ascii85 ? PdfFormat("/DecodeParms [ null << /K %hd /Columns %ld %s%s>> ]\n",
                                            k, columns, "", "")
                                : PdfFormat("/DecodeParms << /K %hd /Columns %ld %s%s>>\n", k,
                                            columns, "", "");
    }
    return lines;
}

void CPDFXObjImage::WriteHead(CPDFXRefPart &xref) {
    CComFile &s = *m_stream;
    xref.BeginObject(s, "%Image XObject\n", m_number);
    PdfWrite(s, PdfFormat("<<\n/Type /XObject\n/Subtype /Image\n/Name %s\n", kResourceName));
    PdfWrite(s, PdfFormat("/Width %d\n/Height %d\n/BitsPerComponent %d\n", m_param.Width,
                          m_param.Height, m_param.PixelType == kPixelBilevel ? 1 : 8));
    PdfWrite(s, FilterLines(m_param, m_option));
    PdfWrite(s, PdfFormat("/ColorSpace %s\n/Length %d 0 R\n>>\nstream\n",
                          m_param.PixelType == kPixelRgb ? "/DeviceRGB" : "/DeviceGray",
                          m_lengthNumber));
    m_dataStart = s.Tell();
    StartCoders();
}

void CPDFXObjImage::StartCoders() {
    if (m_option.Ascii85)
        m_ascii85 = std::make_unique<CASCII85Encoder>(m_stream);
    const int width = m_param.Width;
    switch (m_coder) {
        case Coder::G3:
            // One-dimensional, no EOLs, no alignment, 1 = white, RTC at the end.
            m_fax = std::make_unique<DEncoderG3>(width, 0, 0, 0, 1);
            m_codeCapacity = m_packedRowBytes * 5 + kCodeSlack;
            break;
        case Coder::G4:
            m_fax = std::make_unique<DEncoderG4>(width);
            m_codeCapacity = m_packedRowBytes * 8 + kCodeSlack;
            break;
        case Coder::Jpeg: {
            m_pipe = std::make_unique<CPDFImagePipe>(
                [this](const uint8_t *bytes, size_t length) { Emit(bytes, length); });
            m_jpeg = std::make_unique<CImgToJPEG>();
            m_jpeg->Open(&m_jpegOption, m_pipe.get());
            // Rows reach the JPEG writer packed, whatever the source padding.
            m_jpeg->BeginPage(CImgParam(m_param.PixelType, width, m_param.Height,
                                        static_cast<int>(m_packedRowBytes), m_param.Resolution));
            break;
        }
        case Coder::Raw:
            break;
    }
    if (m_fax)
        m_codeBuffer.reset(new uint8_t[m_codeCapacity]);
    if (m_fax || m_sourceRowBytes != m_packedRowBytes)
        m_rowBuffer.reset(new uint8_t[m_sourceRowBytes]);
}

void CPDFXObjImage::Write(size_t length, const uint8_t *bytes) {
    if (!m_rowBuffer) {
        PassRow(bytes, length);
        return;
    }
    while (length) {
        const size_t n = std::min(length, m_sourceRowBytes - m_rowFill);
        std::memcpy(m_rowBuffer.get() + m_rowFill, bytes, n);
        m_rowFill += n;
        bytes += n;
        length -= n;
        if (m_rowFill == m_sourceRowBytes) {
            m_rowFill = 0;
            PassRow(m_rowBuffer.get(), m_packedRowBytes);
        }
    }
}

void CPDFXObjImage::PassRow(const uint8_t *row, size_t length) {
    if (m_fax) {
        std::memcpy(m_codeBuffer.get(), row, length);
        const int n = m_fax->EncodeLine(m_codeBuffer.get(), static_cast<int>(length),
                                        static_cast<int>(m_codeCapacity));
        if (n < 0)
            RaiseImageError(kErrTiffWrite);
        Emit(m_codeBuffer.get(), static_cast<size_t>(n));
    } else if (m_jpeg) {
        m_jpeg->WriteData(length, row);
    } else {
        Emit(row, length);
    }
}

void CPDFXObjImage::Emit(const uint8_t *bytes, size_t length) {
    if (m_ascii85)
        m_ascii85->Write(bytes, length);
    else
        m_stream->Write(bytes, length);
}

void CPDFXObjImage::End(CPDFXRefPart &xref) {
    if (m_jpeg) {
        m_jpeg->EndPage();
        m_jpeg->Close();
    }
    if (m_fax) {
        const int n = m_fax->End(m_codeBuffer.get(), 0, static_cast<int>(m_codeCapacity));
        if (n < 0)
            RaiseImageError(kErrTiffWrite);
        Emit(m_codeBuffer.get(), static_cast<size_t>(n));
    }
    if (m_ascii85)
        m_ascii85->Finish();
    CComFile &s = *m_stream;
    const int64_t length = s.Tell() - m_dataStart;
    PdfWrite(s, "\nendstream\nendobj\n\n");
    xref.BeginObject(s, "%Image Length\n", m_lengthNumber);
    PdfWrite(s, PdfDecimal(length) + "\nendobj\n\n");
}

}  // namespace corv
