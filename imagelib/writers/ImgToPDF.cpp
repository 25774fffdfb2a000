#include "ImgToPDF.h"

#include "ImageError.h"
#include "PdfText.h"

#include <cmath>
#include <limits>
#include <new>
#include <string>

namespace corv {
namespace {

// A file the writer opens itself goes out through this buffer: the page
// objects are many short lines.
constexpr long kFileBuffer = 65536;
// Pages smaller than an inch get a box just over an inch, the image
// centred on it.
constexpr double kMinBox = 72.0001;

double BoxSide(double side) {
    return side > kMinBox ? side : kMinBox;
}

double Offset(double side, double box) {
    return side < box ? (box - side) * 0.5 : 0;
}

// Runs one writer operation with allocation failures raised as the library's
// out-of-memory code.
template <typename F>
void Guarded(F &&operation) {
    try {
        operation();
    } catch (const std::bad_alloc &) {
        RaiseImageError(kErrNoMemory);
    }
}

}  // namespace

CImgToPDF::CImgToPDF() = default;
CImgToPDF::~CImgToPDF() = default;

CImgToPDF::Placement CImgToPDF::PlacementFor(const CImgParam &param) {
    Placement p{};
    p.width = param.Width * 72.0 / param.Resolution;
    p.height = param.Height * 72.0 / param.Resolution;
    p.boxWidth = BoxSide(p.width);
    p.boxHeight = BoxSide(p.height);
    p.x = Offset(p.width, p.boxWidth);
    p.y = Offset(p.height, p.boxHeight);
    return p;
}

void CImgToPDF::Open(CImgOption *option, CComFile *stream) {
    CImgToFile::Open(option, stream);
    WriteHeader();
}

void CImgToPDF::Open(CImgOption *option, const char *fileName) {
    CImgToFile::Open(option, fileName);
    m_stream->Open(kOpenReadWrite);
    m_opened = true;
    m_stream->SetBuffer(kFileBuffer);
    WriteHeader();
}

void CImgToPDF::WriteHeader() {
    Guarded([&] {
        if (const auto *pdf = dynamic_cast<const CPdfOption *>(m_option))
            m_pdfOption = *pdf;
        m_xref = std::make_unique<CPDFXRefPart>();
        m_pages = std::make_unique<CPDFPageList>(kPagesNumber);
        m_xobj.reset();
        m_nextNumber = kPagesNumber + 1;
        PdfWrite(*m_stream, "%PDF-1.2\n\n");
        m_xref->BeginObject(*m_stream, "%catalog\n", kCatalogNumber);
        PdfWrite(*m_stream,
                 PdfFormat("<<\n/Type /Catalog\n/Pages %d 0 R\n>>\nendobj\n", kPagesNumber));
        m_headerWritten = true;
    });
}

void CImgToPDF::CheckPage(const CImgParam &param) const {
    // Sizes the PDF cannot state or that would divide by zero are refused
    // before anything of the page is written.
    if (!m_headerWritten || m_xobj)
        RaiseImageError(kErrInvalidArg);
    if (param.PixelType != kPixelBilevel && param.PixelType != kPixelGray &&
        param.PixelType != kPixelRgb)
        RaiseImageError(kErrInvalidArg);
    if (param.Width <= 0 || param.Height <= 0 || !(param.Resolution > 0) ||
        !std::isfinite(param.Resolution))
        RaiseImageError(kErrInvalidArg);
    if (param.BytesPerRow <= 0 ||
        static_cast<size_t>(param.BytesPerRow) < CPDFXObjImage::PackedRowBytes(param))
        RaiseImageError(kErrInvalidArg);
    if (m_nextNumber > std::numeric_limits<int>::max() - kNumbersPerPage)
        RaiseImageError(kErrInvalidArg);
}

void CImgToPDF::BeginPage(const CImgParam &param) {
    CheckPage(param);
    CImgToFile::BeginPage(param);
    Guarded([&] {
        m_pageMark = {m_stream->Tell(), m_xref->Count(), m_pages->Count(), m_nextNumber};
        const int n = m_nextNumber;
        m_nextNumber += kNumbersPerPage;
        WritePageObjects(n, PlacementFor(param));
        auto image = std::make_unique<CPDFXObjImage>(m_stream, param, m_pdfOption, n + 4, n + 5);
        image->WriteHead(*m_xref);
        m_xobj = std::move(image);
    });
}

void CImgToPDF::WritePageObjects(int n, const Placement &place) {
    CComFile &s = *m_stream;
    const char *name = CPDFXObjImage::kResourceName;
    m_xref->BeginObject(s, "%Resource\n", n + 1);
    PdfWrite(s, PdfFormat("<<\n/ProcSet [/PDF /ImageB /ImageC]\n/XObject << %s %d 0 R >>\n>>\n"
                          "endobj\n\n",
                          name, n + 4));

    const std::string content = PdfFormat("q\n%.2f 0 0 %.2f %.2f %.2f cm\n%s Do\nQ", place.width,
                                          place.height, place.x, place.y, name);
    m_xref->BeginObject(s, "%Image\n", n + 2);
    PdfWrite(s, PdfFormat("<<\n/Length %d 0 R\n>>\nstream\n", n + 3));
    PdfWrite(s, content + "\nendstream\nendobj\n\n");
    m_xref->BeginObject(s, "%Length of Image\n", n + 3);
    PdfWrite(s, PdfFormat("%d\nendobj\n\n", static_cast<int>(content.size())));

    auto page = std::make_unique<CPDFPage>(n, kPagesNumber, n + 1, n + 2);
    page->MediaBox[2] = place.boxWidth;
    page->MediaBox[3] = place.boxHeight;
    m_xref->BeginObject(s, "%page\n", n);
    PdfWrite(s, "<<\n/Type /Page\n");
    if (page->MediaBox[2] != 0 && page->MediaBox[3] != 0)
        PdfWrite(s, PdfFormat("/MediaBox [ %.2f %.2f %.2f %.2f ]\n", page->MediaBox[0],
                              page->MediaBox[1], page->MediaBox[2], page->MediaBox[3]));
    PdfWrite(s, PdfFormat("/Parent %d 0 R\n/Resources %d 0 R\n/Contents %d 0 R\n>>\nendobj\n\n",
                          page->Parent, page->Resources, page->Contents));
    m_pages->Add(page.release());
}

void CImgToPDF::WriteData(size_t length, const uint8_t *bytes) {
    if (!m_xobj)
        RaiseImageError(kErrInvalidArg);
    Guarded([&] { m_xobj->Write(length, bytes); });
}

void CImgToPDF::EndPage() {
    if (!m_xobj)
        RaiseImageError(kErrInvalidArg);
    Guarded([&] { m_xobj->End(*m_xref); });
    m_xobj.reset();
}

void CImgToPDF::DropPage() {
    if (!m_xobj)
        RaiseImageError(kErrInvalidArg);
    Guarded([&] {
        m_xobj.reset();
        m_xref->Truncate(m_pageMark.objects);
        m_pages->Truncate(m_pageMark.pages);
        m_nextNumber = m_pageMark.nextNumber;
        m_stream->Flush();
        m_stream->SetLength(m_pageMark.length);
        m_stream->Seek(m_pageMark.length, kSeekBegin);
    });
}

void CImgToPDF::WriteTrailer() {
    CComFile &s = *m_stream;
    m_xref->BeginObject(s, "%pages\n", kPagesNumber);
    PdfWrite(s, "<<\n/Kids [" + m_pages->KidsText());
    PdfWrite(s, PdfFormat("]\n/Count %d\n/Type /Pages\n/MediaBox [ 0 0  595 842 ]\n>>\nendobj\n",
                          static_cast<int>(m_pages->Count())));
    m_xref->Write(s);
    PdfWrite(s, PdfFormat("trailer\n<<\n/Size %d\n/Root %d 0 R\n>>\n",
                          static_cast<int>(m_xref->Count()) + 1, kCatalogNumber));
    PdfWrite(s, "startxref\n" + PdfDecimal(m_xref->XRefOffset()) + "\n%%EOF\n");
    s.Flush();
    // A file opened by name may have held a longer file before; it must end
    // at the trailer, where readers look for it.
    if (m_opened)
        s.SetLength(s.Tell());
}

void CImgToPDF::Close() {
    // After Abandon a writer that opened its file has no stream left.
    if (m_headerWritten && m_stream) {
        // A page left open would make the file unreadable: refuse, and let
        // the caller's failure path remove it.
        if (m_xobj)
            RaiseImageError(kErrInvalidArg);
        Guarded([&] { WriteTrailer(); });
        m_headerWritten = false;
    }
    CImgToFile::Close();
}

}  // namespace corv
