#pragma once
// CPDFPageList: the pages written so far, for the pages object's /Kids.
#include "DList.h"

#include <string>

namespace corv {

class CPDFPage : public DObject {
public:
    CPDFPage(int number, int parent, int resources, int contents)
        : Number(number), Parent(parent), Resources(resources), Contents(contents) {}

    int Number;
    int Parent;
    int Resources;
    int Contents;
    double MediaBox[4] = {0, 0, 0, 0};
};

class CPDFPageList : public DObject {
public:
    explicit CPDFPageList(int pagesNumber) : m_pages(true), m_pagesNumber(pagesNumber) {}

    void Add(CPDFPage *page) { m_pages.Append(page); }
    size_t Count() const { return m_pages.Count(); }
    void Truncate(size_t count) { m_pages.TruncateTo(count); }
    int PagesNumber() const { return m_pagesNumber; }
    // The page object numbers in ascending order, each followed by " 0 R ".
    std::string KidsText();

private:
    DList m_pages;
    int m_pagesNumber;
};

}  // namespace corv
