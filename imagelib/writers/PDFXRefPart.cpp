#include "PDFXRefPart.h"

#include "ImageError.h"
#include "PdfText.h"

namespace corv {
namespace {

// A cross-reference entry holds ten decimal digits.
constexpr int64_t kMaxOffset = 9999999999;

}  // namespace

void CPDFXRefPart::Record(int number, int64_t offset) {
    if (offset < 0 || offset > kMaxOffset)
        RaiseImageError(kErrInvalidArg);
    m_elems.Append(new CPDFXRefElem(number, offset));
}

void CPDFXRefPart::BeginObject(CComFile &stream, const char *comment, int number) {
    PdfWrite(stream, comment);
    Record(number, stream.Tell());
    PdfWrite(stream, PdfFormat("%d 0 obj\n", number));
}

int64_t CPDFXRefPart::OffsetOf(int number) const {
    for (DNode *n = m_elems.Head(); n; n = n->Next) {
        const auto *e = static_cast<const CPDFXRefElem *>(n->Element);
        if (e->Number == number)
            return e->Offset;
    }
    return -1;
}

void CPDFXRefPart::Write(CComFile &stream) {
    m_xrefOffset = stream.Tell();
    m_elems.Sort(CompareByNumber<CPDFXRefElem>);
    PdfWrite(stream, PdfFormat("xref\n0 %d\n", static_cast<int>(m_elems.Count()) + 1));
    PdfWrite(stream, "0000000000 65535 f \n");
    for (DNode *n = m_elems.Head(); n; n = n->Next)
        PdfWrite(stream, PdfDecimal(static_cast<const CPDFXRefElem *>(n->Element)->Offset, 10) +
                             " 00000 n \n");
    PdfWrite(stream, "\n");
}

}  // namespace corv
