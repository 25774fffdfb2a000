#include "TIFFValue.h"

#include <stdexcept>

namespace corv {
namespace {

void CheckIndex(uint32_t index, uint32_t count) {
    if (index >= count)
        throw std::out_of_range("invalid vector<T> subscript");
}

}  // namespace

void CTIFFShortValue::Set(uint32_t index, uint32_t value) {
    CheckIndex(index, Count());
    m_values[index] = static_cast<uint16_t>(value);
}

void CTIFFShortValue::Write(CComFile &stream) {
    stream.Write16(m_values.data(), m_values.size(), false);
}

void CTIFFLongValue::Set(uint32_t index, uint32_t value) {
    CheckIndex(index, Count());
    m_values[index] = value;
}

void CTIFFLongValue::Write(CComFile &stream) {
    stream.Write32(m_values.data(), m_values.size(), false);
}

CTIFFRationalValue::CTIFFRationalValue(uint32_t count) : m_values(2 * size_t{count}, 0) {
    for (size_t i = 1; i < m_values.size(); i += 2)
        m_values[i] = 1;
}

void CTIFFRationalValue::Set(uint32_t index, uint32_t value) {
    CheckIndex(index, Count());
    m_values[2 * size_t{index}] = value;
    m_values[2 * size_t{index} + 1] = 1;
}

void CTIFFRationalValue::Write(CComFile &stream) {
    stream.Write32(m_values.data(), m_values.size(), false);
}

}  // namespace corv
