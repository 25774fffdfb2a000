// Number texts of the setting pages, independent of the C locale that a
// host application may have set: fixed-point output, decimal parsing, and
// filling the printf-style range formats held in the string table.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

class CTextFormat {
public:
    using Arg = std::variant<double, int, std::wstring>;

    // The value with exactly `decimals` digits after the point ("%.*f").
    static std::wstring Fixed(double value, int decimals);
    // A whole text as a decimal number (surrounding blanks allowed); nothing
    // for an empty text, trailing garbage, or a value that is not finite.
    static std::optional<double> ParseDecimal(std::wstring_view text);
    // Fills %d, %s, %f / %lf with an optional ".N" precision, and %% from the
    // arguments in order. A missing argument leaves its conversion empty and
    // an unknown conversion is copied as it stands, so a damaged format can
    // never read beyond what was passed.
    static std::wstring Fill(std::wstring_view format, std::initializer_list<Arg> args);
};
