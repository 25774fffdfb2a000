// Finds (and creates) the folders the settings files live in.
#pragma once

#include <string>

#include "StringSource.h"

class CSettingsLocator {
public:
    // The per-user settings folder below the documents folder (NT family
    // newer than 4) or the Windows directory; created with every missing
    // parent. Empty when it cannot be made.
    static std::wstring UserFolder(const IStringSource &strings);
    // The same below a given base folder.
    static std::wstring UserFolderIn(const std::wstring &base, const IStringSource &strings);
    // The favourites folder ("...\favorite\"), created like the user folder.
    static std::wstring FavoritesFolder(const IStringSource &strings);
    // Creates a folder with all its missing parents; true when it exists afterwards.
    static bool CreateFolder(const std::wstring &folder);
};
