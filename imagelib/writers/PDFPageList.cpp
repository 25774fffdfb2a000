#include "PDFPageList.h"

#include "PdfText.h"

namespace corv {

std::string CPDFPageList::KidsText() {
    m_pages.Sort(CompareByNumber<CPDFPage>);
    std::string kids;
    for (DObject *p = m_pages.First(); p; p = m_pages.Next())
        kids += PdfFormat("%d 0 R ", static_cast<CPDFPage *>(p)->Number);
    return kids;
}

}  // namespace corv
