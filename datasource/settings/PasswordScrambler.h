// The stored form of the server password in PrivteSettings.Ini. Works on the
// password's bytes in the system ANSI code page.
#pragma once

#include <string>
#include <string_view>

class CPasswordScrambler {
public:
    // Two stored characters per byte, each chained to the one before it.
    static std::string Scramble(std::string_view password);
    // The reverse; a stored value of odd length loses its unpaired last character.
    static std::string Unscramble(std::string_view stored);
};
