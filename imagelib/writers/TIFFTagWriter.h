#pragma once
// CTIFFTagWriter: one IFD entry in the writer's sorted tag chain, with its
// value and, when the value does not fit the entry, the value's offset.
#include "ChainObj.h"
#include "TIFFValue.h"

#include <memory>

namespace corv {

class CTIFFTagWriter : public CChainObj {
public:
    // Types 3, 4 and 5 get a value of `count` elements; others none.
    CTIFFTagWriter(uint16_t tag, uint16_t type, uint32_t count);

    uint16_t Tag() const { return m_tag; }
    uint16_t Type() const { return m_type; }
    CTIFFValue *Value() const { return m_value.get(); }
    uint32_t ValueOffset() const { return m_valueOffset; }
    void SetValueOffset(uint32_t offset) { m_valueOffset = offset; }
    CTIFFTagWriter *NextTag() const { return static_cast<CTIFFTagWriter *>(Next()); }

    void Set(uint32_t index, uint32_t value) { m_value->Set(index, value); }
    // SHORT with up to 2 elements and LONG with 1 fit the entry.
    bool FitsInEntry() const;
    uint32_t OutOfLineBytes() const;
    void WriteEntry(CComFile &stream);
    void WriteValue(CComFile &stream);

    // Links `node` into the chain at `head` before the first tag that is not
    // smaller; returns the new head.
    static CTIFFTagWriter *InsertSorted(CTIFFTagWriter *head, CTIFFTagWriter *node);

private:
    uint16_t m_tag;
    uint16_t m_type;
    std::unique_ptr<CTIFFValue> m_value;
    uint32_t m_valueOffset = 0xFFFFFFFF;
};

}  // namespace corv
