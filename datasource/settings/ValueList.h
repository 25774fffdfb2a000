// A value list turns the positions of a choice control into setting codes
// and back. Entries are added to the control in array order.
#pragma once

#include <cstdint>
#include <span>

struct SValueEntry {
    int32_t index;     // position in the control
    unsigned labelId;  // string id of the label
    bool isDefault;    // the standard choice
    int32_t code;      // value stored in the settings
};

class CValueList {
public:
    constexpr explicit CValueList(std::span<const SValueEntry> entries) : m_entries(entries) {}

    std::span<const SValueEntry> Entries() const { return m_entries; }
    size_t Count() const { return m_entries.size(); }
    // The first entry flagged default, index 0 when none is flagged.
    int32_t DefaultIndex() const;
    int32_t DefaultCode() const { return IndexToCode(DefaultIndex()); }
    // -1 when no entry has that index, or that code.
    int32_t IndexToCode(int32_t index) const;
    int32_t CodeToIndex(int32_t code) const;

private:
    std::span<const SValueEntry> m_entries;
};
