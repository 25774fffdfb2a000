// The favourites the main dialog offers, in the order of its list: the
// current settings, the standard settings, then one entry per favourite
// file in the favourites folder, in the order the folder lists them. Each
// file entry keeps the path it came from: that file is what saving over it
// replaces and what deleting it removes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "FavoriteFile.h"
#include "FavoriteInfo.h"
#include "StringSource.h"

class CFavoriteList {
public:
    static constexpr size_t kCurrent = 0;
    static constexpr size_t kStandard = 1;

    // `extension` without its dot ("sfj"). Files that are not whole
    // favourites are left out (and logged).
    void Build(const std::wstring &folder, const std::wstring &extension,
               const CFavoriteInfo &current);
    size_t Count() const { return m_entries.size(); }
    const CFavoriteInfo &At(size_t index) const { return m_entries.at(index).favorite; }
    // The file of an entry from index 2 on; empty for the first two.
    const std::wstring &FileOf(size_t index) const { return m_entries.at(index).file; }
    void SetCurrent(const CFavoriteInfo &current);
    // The first favourite file entry of that name (exact); nothing for none.
    std::optional<size_t> IndexOf(const std::string &name) const;
    // How the favourites row shows an entry.
    std::wstring Text(size_t index, const IStringSource &strings) const;

    // The pages saved as favourite `name`: an entry of that name keeps its
    // place, its file and its output options; otherwise a new file entry
    // is appended. Nothing when the file could not be written.
    std::optional<size_t> Store(const CFavoriteInfo &pages, const std::string &name,
                                const std::string &comment);
    // Takes a favourite file the folder holds now; its index.
    size_t Add(const CFavoriteInfo &favorite, const std::wstring &file);
    void Remove(size_t index);
    const std::wstring &Extension() const { return m_extension; }
    // A file of that name in the favourites folder.
    std::wstring PathIn(const std::wstring &fileName) const;
    // The file a favourite of that name has, listed or not.
    std::wstring PathOf(const std::string &name) const;

    // One favourite file, refused unless it is a whole favourite.
    static CFavoriteFile::SRead ReadFile(const std::wstring &path);
    // Replaces the file in one step: a failed write leaves whatever was
    // there untouched.
    static bool WriteFile(const std::wstring &path, const CFavoriteInfo &favorite);
    // The file name without folder and extension, in the ANSI code page.
    static std::string NameOf(const std::wstring &path);

private:
    struct SEntry {
        CFavoriteInfo favorite;
        std::wstring file;
    };
    std::vector<SEntry> m_entries;
    std::wstring m_folder;
    std::wstring m_extension;
};
