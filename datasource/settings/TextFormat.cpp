#include "TextFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace {

std::wstring Widen(std::string_view ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

std::wstring FormatArg(const CTextFormat::Arg &arg, wchar_t conversion, int precision) {
    if (conversion == L's') {
        if (const auto *text = std::get_if<std::wstring>(&arg)) {
            return *text;
        }
    }
    double number = 0;
    if (const auto *d = std::get_if<double>(&arg)) {
        number = *d;
    } else if (const auto *i = std::get_if<int>(&arg)) {
        number = *i;
    } else {
        return std::get<std::wstring>(arg);
    }
    if (conversion == L'd') {
        return CTextFormat::Fixed(std::trunc(number), 0);
    }
    return CTextFormat::Fixed(number, precision < 0 ? 6 : precision);
}

}  // namespace

std::wstring CTextFormat::Fixed(double value, int decimals) {
    if (!std::isfinite(value)) {
        return L"0";
    }
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    std::wstring text = Widen(std::string_view(buffer, result.ptr - buffer));
    // printf never prints "-0.0"; neither do we for values that round to zero.
    if (text.starts_with(L'-') && text.find_first_not_of(L"-0.") == std::wstring::npos) {
        text.erase(0, 1);
    }
    return text;
}

std::optional<double> CTextFormat::ParseDecimal(std::wstring_view text) {
    const auto first = text.find_first_not_of(L" \t");
    if (first == std::wstring_view::npos) {
        return std::nullopt;
    }
    const auto last = text.find_last_not_of(L" \t");
    std::string ascii;
    for (wchar_t c : text.substr(first, last - first + 1)) {
        if (c > 0x7F) {
            return std::nullopt;
        }
        ascii.push_back(static_cast<char>(c));
    }
    // from_chars takes no leading '+', which people do type.
    std::string_view digits = ascii;
    if (digits.starts_with('+')) {
        digits.remove_prefix(1);
    }
    double value = 0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                        std::chars_format::fixed);
    if (result.ec != std::errc() || result.ptr != digits.data() + digits.size() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::wstring CTextFormat::Fill(std::wstring_view format, std::initializer_list<Arg> args) {
    std::wstring out;
    auto next = args.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != L'%' || i + 1 == format.size()) {
            out.push_back(format[i]);
            continue;
        }
        size_t j = i + 1;
        if (format[j] == L'%') {
            out.push_back(L'%');
            i = j;
            continue;
        }
        int precision = -1;
        if (format[j] == L'.') {
            precision = 0;
            for (++j; j < format.size() && format[j] >= L'0' && format[j] <= L'9'; ++j) {
                precision = std::min(precision * 10 + (format[j] - L'0'), 300);
            }
        }
        if (j < format.size() && format[j] == L'l') {
            ++j;
        }
        if (j >= format.size() || (format[j] != L'd' && format[j] != L'f' && format[j] != L's')) {
            out.push_back(format[i]);
            continue;
        }
        if (next != args.end()) {
            out += FormatArg(*next++, format[j], precision);
        }
        i = j;
    }
    return out;
}
