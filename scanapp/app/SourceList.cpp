#include "SourceList.h"

#include <cstring>

namespace {
// A TW_STR32 as the source wrote it: up to its terminating zero, never past
// the field even when the source left none.
std::string FieldText(const TW_STR32 &field) {
    return std::string(field, strnlen(field, sizeof(TW_STR32)));
}
}  // namespace

bool CSourceList::Offer(const TW_IDENTITY &identity) {
    if (FieldText(identity.Manufacturer) != m_manufacturer ||
        FieldText(identity.ProductFamily) != m_productFamily)
        return false;
    m_entries.push_back(identity);
    return true;
}

std::optional<size_t> CSourceList::Choose(const std::string &wanted) const {
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (ProductName(i) == wanted)
            return i;
    if (m_entries.empty())
        return std::nullopt;
    return 0;
}

std::string CSourceList::ProductName(size_t index) const {
    return index < m_entries.size() ? FieldText(m_entries[index].ProductName) : std::string();
}
