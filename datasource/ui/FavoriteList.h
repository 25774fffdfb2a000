// The favourites the main dialog offers, in the order of its list: the
// current settings, the standard settings, then one entry per favourite
// file in the favourites folder, in the order the folder lists them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "FavoriteInfo.h"

class CFavoriteList {
public:
    static constexpr size_t kCurrent = 0;
    static constexpr size_t kStandard = 1;

    // `extension` without its dot ("sfj").
    void Build(const std::wstring &folder, const std::wstring &extension,
               const CFavoriteInfo &current);
    size_t Count() const { return m_entries.size(); }
    const CFavoriteInfo &At(size_t index) const { return m_entries.at(index); }
    void SetCurrent(const CFavoriteInfo &current);
    // The first favourite file entry of that name (exact); nothing for none.
    std::optional<size_t> IndexOf(const std::string &name) const;

private:
    std::vector<CFavoriteInfo> m_entries;
};
