#include "FavoriteName.h"

namespace {

bool IsSpace(wchar_t c) {
    return c == L' ' || c == L'\u3000';
}

}  // namespace

std::wstring CFavoriteName::Trim(std::wstring_view name) {
    size_t first = 0, last = name.size();
    while (first < last && IsSpace(name[first]))
        ++first;
    while (last > first && IsSpace(name[last - 1]))
        --last;
    return std::wstring(name.substr(first, last - first));
}

CFavoriteName::SCheck CFavoriteName::Check(std::wstring_view typed, std::wstring_view comment,
                                           std::initializer_list<std::wstring_view> reserved,
                                           const AnsiLength &ansiLength) {
    if (typed.empty())
        return {EFavoriteEntry::EmptyName, std::wstring()};
    const std::wstring name = Trim(typed);
    for (std::wstring_view r : reserved)
        if (name == r)
            return {EFavoriteEntry::ReservedName, name};
    const size_t bytes = ansiLength(name);
    if (bytes < 1 || bytes > kMaxNameBytes)
        return {EFavoriteEntry::NameLength, name};
    bool onlySpaces = true;
    for (wchar_t c : name) {
        if (std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos)
            return {EFavoriteEntry::InvalidName, name};
        onlySpaces = onlySpaces && IsSpace(c);
    }
    if (onlySpaces)
        return {EFavoriteEntry::InvalidName, name};
    if (ansiLength(comment) > kMaxCommentBytes)
        return {EFavoriteEntry::CommentLength, name};
    return {EFavoriteEntry::Accepted, name};
}
