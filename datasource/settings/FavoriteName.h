// What the favourite-saving dialog accepts as a name and a comment, in the
// order it checks them. Lengths are bytes in the system ANSI code page (a
// double-byte character counts two), which the caller measures.
#pragma once

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

enum class EFavoriteEntry {
    Accepted,
    EmptyName,      // nothing happens; the dialog stays
    ReservedName,   // message 22047 with the name
    NameLength,     // message 22049: 1..27 bytes
    InvalidName,    // message 22048: \ / : * ? " < > | or spaces only
    CommentLength,  // message 22050: 255 bytes at most
};

class CFavoriteName {
public:
    static constexpr size_t kMaxNameBytes = 27;
    static constexpr size_t kMaxCommentBytes = 255;

    using AnsiLength = std::function<size_t(std::wstring_view)>;

    // Without single-byte (U+0020) and double-byte (U+3000) spaces at either end.
    static std::wstring Trim(std::wstring_view name);
    // `name` is what the user typed; the result's name is the trimmed one
    // that the favourite and its file take. `reserved` are the list's own
    // entries ("標準", "<現在の設定>").
    struct SCheck {
        EFavoriteEntry result;
        std::wstring name;
    };
    static SCheck Check(std::wstring_view name, std::wstring_view comment,
                        std::initializer_list<std::wstring_view> reserved,
                        const AnsiLength &ansiLength);
};
