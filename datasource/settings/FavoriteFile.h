// The bytes of one favourite file. Favourite files come from anywhere (an
// import, a copy from another machine, a damaged disk), so the one reader
// takes them as untrusted bytes and accepts only a whole favourite: a file
// cut short, far too large or not text at all is refused instead of being
// shown as a nameless entry with made-up settings. The writer gives the
// whole file at once, so that it can replace a file in one step.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "FavoriteInfo.h"

enum class EFavoriteFile {
    Read,
    TooLarge,    // more than kMaxBytes: no favourite is that large
    NotText,     // a zero byte: binary data or a UTF-16 file
    NoSection,   // no "[favorite]" section
    MissingKey,  // a key of the favourite is missing: the file was cut short
    BadNumber,   // a number key holds no number, or an impossible length
};

class CFavoriteFile {
public:
    // A favourite with both texts at their 259-byte limit is under 2 KB;
    // hand-edited files with comments stay far below this.
    static constexpr size_t kMaxBytes = 64 * 1024;

    struct SRead {
        EFavoriteFile status;
        CFavoriteInfo favorite;  // meaningful only when status is Read
    };
    // Lines as the system's profile functions read them: section and key
    // names without regard to case, the first of a repeated key counting,
    // blanks around keys and values dropped, one pair of quotes around a
    // value removed.
    static SRead Read(std::string_view bytes);
    // "[favorite]" and every key in file order, lines ending in CR LF.
    // Texts are already in the ANSI code page; a text with a line break
    // cannot be stored and gives an empty result.
    static std::string Text(const CFavoriteInfo &favorite);
};
