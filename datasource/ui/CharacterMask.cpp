#include "CharacterMask.h"

bool CCharacterMask::Accepts(uint32_t mask, wchar_t c) {
    if (c < L' ' || c == 0x7F)
        return false;
    if (mask == kAll)
        return true;
    if ((c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'))
        return (mask & kLetters) != 0;
    if (c >= L'0' && c <= L'9')
        return (mask & kDigits) != 0;
    if (c == L' ')
        return (mask & kSpace) != 0;
    return (mask & kOthers) != 0;
}

bool CCharacterMask::Accepts(uint32_t mask, std::wstring_view text, size_t limit) {
    if (limit != 0 && text.size() > limit)
        return false;
    for (wchar_t c : text)
        if (!Accepts(mask, c))
            return false;
    return true;
}
