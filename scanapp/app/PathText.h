// File names between the Windows calls (UTF-16), the saving code (UTF-8)
// and the places that keep ANSI text (the profile, the image library's
// writers and the high-compression component).
#pragma once

#include <string>

class CPathText {
public:
    static std::wstring Wide(const std::string &utf8);
    static std::string Utf8(const std::wstring &wide);
    static std::wstring FromAnsi(const std::string &ansi);
    // Empty when the name has a character the ANSI code page lacks: a
    // look-alike would name another file.
    static std::string Ansi(const std::wstring &wide);
};
