#pragma once
// CPDFXRefPart: the byte offset of every object as its header is written,
// and the cross-reference table built from them.
#include "ComFile.h"
#include "DList.h"

#include <cstdint>

namespace corv {

class CPDFXRefElem : public DObject {
public:
    CPDFXRefElem(int number, int64_t offset) : Number(number), Offset(offset) {}

    int Number;
    int64_t Offset;
};

class CPDFXRefPart : public DObject {
public:
    CPDFXRefPart() : m_elems(true) {}

    void Record(int number, int64_t offset);
    // Writes `comment`, records the offset of object `number` and writes the
    // object's first line.
    void BeginObject(CComFile &stream, const char *comment, int number);
    size_t Count() const { return m_elems.Count(); }
    void Truncate(size_t count) { m_elems.TruncateTo(count); }
    int64_t XRefOffset() const { return m_xrefOffset; }
    // Offset of object `number`, or -1 when it was never recorded.
    int64_t OffsetOf(int number) const;

    // Sorts the entries by object number and writes the "xref" section at
    // the stream's current position.
    void Write(CComFile &stream);

private:
    DList m_elems;
    int64_t m_xrefOffset = 0;
};

}  // namespace corv
