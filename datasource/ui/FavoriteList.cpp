#include "FavoriteList.h"

#include <windows.h>

#include "ProfileFile_win.h"
#include "WinHandles.h"

void CFavoriteList::Build(const std::wstring &folder, const std::wstring &extension,
                          const CFavoriteInfo &current) {
    m_entries.clear();
    m_entries.push_back(current);
    m_entries.back().IsCurrent = true;
    CFavoriteInfo standard = CFavoriteInfo::FromSettings(CScanSettings::Standard());
    standard.IsStandard = true;
    m_entries.push_back(standard);
    WIN32_FIND_DATAW found{};
    CAutoFind find(FindFirstFileW((folder + L"\\*." + extension).c_str(), &found));
    if (!find)
        return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        // "*.sfj" also matches longer extensions in short-name form; only
        // the favourites' own extension counts.
        const std::wstring name = found.cFileName;
        const size_t dot = name.rfind(L'.');
        if (dot == std::wstring::npos || _wcsicmp(name.c_str() + dot + 1, extension.c_str()) != 0)
            continue;
        const CProfileFile file(folder + L"\\" + name);
        m_entries.push_back(CFavoriteInfo::Load(file));
    } while (FindNextFileW(find.Get(), &found));
}

void CFavoriteList::SetCurrent(const CFavoriteInfo &current) {
    if (m_entries.empty())
        m_entries.push_back(current);
    else
        m_entries[kCurrent] = current;
    m_entries[kCurrent].IsCurrent = true;
}

std::optional<size_t> CFavoriteList::IndexOf(const std::string &name) const {
    for (size_t i = kStandard + 1; i < m_entries.size(); ++i)
        if (m_entries[i].Name == name)
            return i;
    return std::nullopt;
}
