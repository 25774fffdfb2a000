// What the favourites dialog's settings tree shows for one favourite: four
// groups (basic, quality, reading method, output), one line per setting of
// the setting's label and its value's label, and a few sub-lines (custom
// size, magnification detail, the two compressions). A line whose value
// differs from the standard favourite is marked as changed.
#pragma once

#include <string>
#include <vector>

#include "FavoriteInfo.h"
#include "StringSource.h"

class CFavoriteTree {
public:
    struct SLine {
        int level;  // 0 group, 1 setting, 2 detail of the setting above
        std::wstring text;
        bool changed;
    };
    static std::vector<SLine> Lines(const CFavoriteInfo &favorite, const CFavoriteInfo &standard,
                                    const IStringSource &strings);
};
