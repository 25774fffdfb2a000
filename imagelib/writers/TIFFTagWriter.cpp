#include "TIFFTagWriter.h"

namespace corv {

CTIFFTagWriter::CTIFFTagWriter(uint16_t tag, uint16_t type, uint32_t count)
    : m_tag(tag), m_type(type) {
    switch (type) {
        case kTiffShort:
            m_value = std::make_unique<CTIFFShortValue>(count);
            break;
        case kTiffLong:
            m_value = std::make_unique<CTIFFLongValue>(count);
            break;
        case kTiffRational:
            m_value = std::make_unique<CTIFFRationalValue>(count);
            break;
        default:
            break;
    }
}

bool CTIFFTagWriter::FitsInEntry() const {
    if (!m_value)
        return true;
    return (m_type == kTiffShort && m_value->Count() <= 2) ||
           (m_type == kTiffLong && m_value->Count() <= 1);
}

uint32_t CTIFFTagWriter::OutOfLineBytes() const {
    return FitsInEntry() ? 0 : m_value->ByteCount();
}

void CTIFFTagWriter::WriteEntry(CComFile &stream) {
    if (!m_value)
        return;
    uint16_t head[2] = {m_tag, m_type};
    uint32_t count = m_value->Count();
    stream.Write16(head, 2, false);
    stream.Write32(&count, 1, false);
    if (!FitsInEntry()) {
        stream.Write32(&m_valueOffset, 1, false);
        return;
    }
    m_value->Write(stream);
    static const uint8_t kZeros[4] = {};
    stream.Write(kZeros, 4 - m_value->ByteCount());
}

void CTIFFTagWriter::WriteValue(CComFile &stream) {
    if (m_value && !FitsInEntry())
        m_value->Write(stream);
}

CTIFFTagWriter *CTIFFTagWriter::InsertSorted(CTIFFTagWriter *head, CTIFFTagWriter *node) {
    if (!head || head->m_tag >= node->m_tag) {
        node->SetNext(head);
        return node;
    }
    CTIFFTagWriter *prev = head;
    while (prev->NextTag() && prev->NextTag()->m_tag < node->m_tag)
        prev = prev->NextTag();
    node->SetNext(prev->Next());
    prev->SetNext(node);
    return head;
}

}  // namespace corv
