// Between the wide text of the user interface and the system ANSI code page
// text that profile files, name lengths and the password rules work on.
#pragma once

#include <string>
#include <string_view>

class CAnsiText {
public:
    static std::wstring ToWide(std::string_view ansi);
    // Characters the code page cannot hold become the system's default character.
    static std::string FromWide(std::wstring_view wide);
};
