#pragma once
// CImgToPDF: the PDF front end. Writes a PDF 1.2 file of one full-page image
// per page, each image streamed into the file while its rows arrive; the
// pages object, the cross-reference table and the trailer follow at Close.
#include "ImgToFile.h"
#include "PDFPageList.h"
#include "PDFXObjImage.h"
#include "PDFXRefPart.h"
#include "PdfOption.h"

#include <memory>

namespace corv {

class CImgToPDF : public CImgToFile {
public:
    CImgToPDF();
    ~CImgToPDF() override;

    void Open(CImgOption *option, CComFile *stream) override;
    void Open(CImgOption *option, const char *fileName) override;
    void BeginPage(const CImgParam &param) override;
    void WriteData(size_t length, const uint8_t *bytes) override;
    void EndPage() override;
    void DropPage() override;
    void Close() override;
    int FormatId() const override { return 3; }

    static constexpr int kCatalogNumber = 1;
    static constexpr int kPagesNumber = 2;
    // Page, resources, contents, contents length, image, image length.
    static constexpr int kNumbersPerPage = 6;

    // The page box and the image's place on it, in points.
    struct Placement {
        double width, height;  // image
        double boxWidth, boxHeight;
        double x, y;
    };
    static Placement PlacementFor(const CImgParam &param);

private:
    void WriteHeader();
    void WritePageObjects(int n, const Placement &place);
    void WriteTrailer();
    void CheckPage(const CImgParam &param) const;

    CPdfOption m_pdfOption;
    std::unique_ptr<CPDFXRefPart> m_xref;
    std::unique_ptr<CPDFPageList> m_pages;
    std::unique_ptr<CPDFXObjImage> m_xobj;
    int m_nextNumber = 3;
    // Where the open page began: file length, objects, pages, numbers.
    struct SPageMark {
        int64_t length = 0;
        size_t objects = 0;
        size_t pages = 0;
        int nextNumber = 0;
    } m_pageMark;
    bool m_headerWritten = false;
};

}  // namespace corv
