#include "FormEscaper.h"

#include <cstdio>

CLeadByteTable CLeadByteTable::CodePage932() {
    CLeadByteTable t;
    for (int c = 0x81; c <= 0x9f; ++c)
        t.SetLead(static_cast<unsigned char>(c));
    for (int c = 0xe0; c <= 0xfc; ++c)
        t.SetLead(static_cast<unsigned char>(c));
    return t;
}

namespace {

void AppendEscaped(std::string &out, unsigned char c) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%%%02X", c);
    out += hex;
}

bool NeedsEscape(unsigned char c) {
    return c < 0x20 || c >= 0x7f || c == '%' || c == '&' || c == '=' || c == '+';
}

}  // namespace

std::string EscapeFormValue(std::string_view text, const CLeadByteTable &leads) {
    std::string out;
    out.reserve(text.size() * 3);
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (leads.IsLead(c)) {
            AppendEscaped(out, c);
            // A lead byte at the very end has no trail byte to take along.
            if (i + 1 < text.size())
                AppendEscaped(out, static_cast<unsigned char>(text[++i]));
        } else if (NeedsEscape(c)) {
            AppendEscaped(out, c);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}
