// The texts of the utility's TWAIN error boxes, filled in as printf would
// fill them ("%d" the condition code; "%s(%d)" where the step failed) and
// "%1" the way FormatMessage does, without handing a message table's text
// to a printf format.
#pragma once

#include <string>

class CTwainMessageText {
public:
    // "%1" replaced by `path`.
    static std::wstring WithPath(const std::wstring &text, const std::wstring &path);
    // The first "%d" replaced by `code`.
    static std::wstring WithCode(const std::wstring &text, int code);
    // The first "%s" replaced by `file`, then the first "%d" by `line`.
    static std::wstring WithLocation(const std::wstring &text, const std::wstring &file, int line);

private:
    static std::wstring ReplaceFirst(const std::wstring &text, const std::wstring &mark,
                                     const std::wstring &value);
};
