#pragma once
// CTIFFValue: the value vector of one TIFF tag, with one class per field
// type the writer uses (SHORT, LONG, RATIONAL).
#include "ComFile.h"

#include <cstdint>
#include <vector>

namespace corv {

enum : uint16_t { kTiffShort = 3, kTiffLong = 4, kTiffRational = 5 };

class CTIFFValue {
public:
    virtual ~CTIFFValue() = default;
    virtual uint32_t Count() const = 0;
    // Raises std::out_of_range("invalid vector<T> subscript") past the end.
    virtual void Set(uint32_t index, uint32_t value) = 0;
    virtual void Write(CComFile &stream) = 0;
    // Bytes the value takes in the file.
    virtual uint32_t ByteCount() const = 0;
};

class CTIFFShortValue : public CTIFFValue {
public:
    explicit CTIFFShortValue(uint32_t count) : m_values(count, 0) {}
    uint32_t Count() const override { return static_cast<uint32_t>(m_values.size()); }
    void Set(uint32_t index, uint32_t value) override;
    void Write(CComFile &stream) override;
    uint32_t ByteCount() const override { return Count() * 2; }

private:
    std::vector<uint16_t> m_values;
};

class CTIFFLongValue : public CTIFFValue {
public:
    explicit CTIFFLongValue(uint32_t count) : m_values(count, 0) {}
    uint32_t Count() const override { return static_cast<uint32_t>(m_values.size()); }
    void Set(uint32_t index, uint32_t value) override;
    void Write(CComFile &stream) override;
    uint32_t ByteCount() const override { return Count() * 4; }
    uint32_t Get(uint32_t index) const { return m_values.at(index); }

private:
    std::vector<uint32_t> m_values;
};

// Stored as numerator/denominator pairs; Set stores value/1.
class CTIFFRationalValue : public CTIFFValue {
public:
    explicit CTIFFRationalValue(uint32_t count);
    uint32_t Count() const override { return static_cast<uint32_t>(m_values.size() / 2); }
    void Set(uint32_t index, uint32_t value) override;
    void Write(CComFile &stream) override;
    uint32_t ByteCount() const override { return Count() * 8; }

private:
    std::vector<uint32_t> m_values;
};

}  // namespace corv
