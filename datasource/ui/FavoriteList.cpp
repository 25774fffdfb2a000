#include "FavoriteList.h"

#include <windows.h>

#include "AnsiText_win.h"
#include "DiagLog.h"
#include "WinHandles.h"
#include "res/main_dialog_ids.h"

namespace {

std::wstring Joined(const std::wstring &folder, const std::wstring &name) {
    return folder.empty() || folder.back() == L'\\' ? folder + name : folder + L"\\" + name;
}

}  // namespace

void CFavoriteList::Build(const std::wstring &folder, const std::wstring &extension,
                          const CFavoriteInfo &current) {
    m_folder = folder;
    m_extension = extension;
    m_entries.clear();
    m_entries.push_back({current, {}});
    m_entries.back().favorite.IsCurrent = true;
    CFavoriteInfo standard = CFavoriteInfo::FromSettings(CScanSettings::Standard());
    standard.IsStandard = true;
    m_entries.push_back({standard, {}});
    WIN32_FIND_DATAW found{};
    CAutoFind find(FindFirstFileW(Joined(folder, L"*." + extension).c_str(), &found));
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
        const std::wstring path = Joined(folder, name);
        const CFavoriteFile::SRead read = ReadFile(path);
        if (read.status != EFavoriteFile::Read) {
            WriteLog("CFavoriteList::Build(), %s refused (%d)", CAnsiText::FromWide(path).c_str(),
                     static_cast<int>(read.status));
            continue;
        }
        Add(read.favorite, path);
    } while (FindNextFileW(find.Get(), &found));
}

void CFavoriteList::SetCurrent(const CFavoriteInfo &current) {
    if (m_entries.empty())
        m_entries.push_back({current, {}});
    else
        m_entries[kCurrent].favorite = current;
    m_entries[kCurrent].favorite.IsCurrent = true;
}

std::optional<size_t> CFavoriteList::IndexOf(const std::string &name) const {
    for (size_t i = kStandard + 1; i < m_entries.size(); ++i)
        if (m_entries[i].favorite.Name == name)
            return i;
    return std::nullopt;
}

std::wstring CFavoriteList::Text(size_t index, const IStringSource &strings) const {
    if (index == kCurrent)
        return strings.Load(IDS_FAVORITE_CURRENT);
    if (index == kStandard)
        return strings.Load(IDS_FAVORITE_STANDARD);
    return CAnsiText::ToWide(At(index).Name);
}

std::optional<size_t> CFavoriteList::Store(const CFavoriteInfo &pages, const std::string &name,
                                           const std::string &comment) {
    // File names do not tell case apart: "Office" saved over "office"
    // replaces that favourite's file, and the entry keeps its name.
    std::optional<size_t> existing = IndexOf(name);
    const std::wstring path = PathOf(name);
    for (size_t i = kStandard + 1; !existing && i < m_entries.size(); ++i)
        if (_wcsicmp(m_entries[i].file.c_str(), path.c_str()) == 0)
            existing = i;
    CFavoriteInfo favorite = pages;
    favorite.IsCurrent = favorite.IsStandard = false;
    favorite.Name = existing ? At(*existing).Name : name;
    favorite.Comment = comment;
    // The output options have no control on the pages: a favourite keeps
    // its own, a new one starts without any.
    const CFavoriteInfo kept = existing ? At(*existing) : CFavoriteInfo();
    favorite.Format = kept.Format;
    favorite.Monochrome = kept.Monochrome;
    favorite.Color = kept.Color;
    favorite.Encode = kept.Encode;
    favorite.Correction = kept.Correction;
    const std::wstring file = existing ? FileOf(*existing) : path;
    if (!WriteFile(file, favorite))
        return std::nullopt;
    if (!existing)
        return Add(favorite, file);
    m_entries[*existing].favorite = favorite;
    return existing;
}

size_t CFavoriteList::Add(const CFavoriteInfo &favorite, const std::wstring &file) {
    m_entries.push_back({favorite, file});
    // The file's name is the favourite's name, whatever the file says: a
    // renamed or exported copy is then saved over and deleted as itself.
    m_entries.back().favorite.Name = NameOf(file);
    return m_entries.size() - 1;
}

void CFavoriteList::Remove(size_t index) {
    if (index > kStandard && index < m_entries.size())
        m_entries.erase(m_entries.begin() + static_cast<ptrdiff_t>(index));
}

std::wstring CFavoriteList::PathIn(const std::wstring &fileName) const {
    return Joined(m_folder, fileName);
}

std::wstring CFavoriteList::PathOf(const std::string &name) const {
    return PathIn(CAnsiText::ToWide(name) + L"." + m_extension);
}

std::string CFavoriteList::NameOf(const std::wstring &path) {
    const size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos)
        name.resize(dot);
    return CAnsiText::FromWide(name);
}

CFavoriteFile::SRead CFavoriteList::ReadFile(const std::wstring &path) {
    CAutoFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.Get(), &size))
        return {EFavoriteFile::NoSection, {}};
    // Never read more than a favourite can be.
    if (size.QuadPart > static_cast<LONGLONG>(CFavoriteFile::kMaxBytes))
        return {EFavoriteFile::TooLarge, {}};
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!bytes.empty() &&
        !::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr))
        return {EFavoriteFile::NoSection, {}};
    bytes.resize(got);
    return CFavoriteFile::Read(bytes);
}

bool CFavoriteList::WriteFile(const std::wstring &path, const CFavoriteInfo &favorite) {
    const std::string text = CFavoriteFile::Text(favorite);
    const size_t slash = path.find_last_of(L"\\/");
    if (text.empty() || slash == std::wstring::npos)
        return false;
    wchar_t temp[MAX_PATH] = {};
    if (!GetTempFileNameW(path.substr(0, slash).c_str(), L"fav", 0, temp))
        return false;
    bool written = false;
    {
        CAutoFile file(CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD put = 0;
        written =
            file &&
            ::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &put, nullptr) &&
            put == text.size() && FlushFileBuffers(file.Get());
    }
    if (written &&
        MoveFileExW(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(temp);
    return false;
}
