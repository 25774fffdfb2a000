// The data sources the utility offers: only ours, recognised by the maker
// and family names our source reports, compared byte for byte as the
// source wrote them. Which one is used comes from the product name the
// user chose last time.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "twain/twain.h"

class CSourceList {
public:
    CSourceList(std::string manufacturer, std::string productFamily)
        : m_manufacturer(std::move(manufacturer)), m_productFamily(std::move(productFamily)) {}

    void Clear() { m_entries.clear(); }
    // Keeps the identity when it is one of ours; returns whether it did.
    bool Offer(const TW_IDENTITY &identity);
    const std::vector<TW_IDENTITY> &Entries() const { return m_entries; }
    bool Empty() const { return m_entries.empty(); }
    // An entry's product name as text; empty past the end.
    std::string ProductName(size_t index) const;

    // The entry whose product name is `wanted` (the first of several); the
    // first entry when none is; nothing for an empty list.
    std::optional<size_t> Choose(const std::string &wanted) const;
    // The name to look for: the saved choice, or the built-in one when the
    // user never chose.
    static std::string WantedName(const std::string &saved, const std::string &builtIn) {
        return saved.empty() ? builtIn : saved;
    }

private:
    std::string m_manufacturer;
    std::string m_productFamily;
    std::vector<TW_IDENTITY> m_entries;
};
