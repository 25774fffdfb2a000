// The escape rule of the two free-text values of BEGIN_JOB (user name and
// password). It works on bytes of the system ANSI code page, so a
// double-byte character is escaped whole even when its trail byte is a
// plain ASCII letter: the server decodes the bytes back, not characters.
#pragma once

#include <array>
#include <string>
#include <string_view>

class CLeadByteTable {
public:
    CLeadByteTable() { m_lead.fill(false); }
    // Lead bytes of the Japanese code page 932 (Shift_JIS).
    static CLeadByteTable CodePage932();
    // Lead bytes of the running system's ANSI code page.
    static CLeadByteTable SystemCodePage();

    bool IsLead(unsigned char c) const { return m_lead[c]; }
    void SetLead(unsigned char c) { m_lead[c] = true; }

private:
    std::array<bool, 256> m_lead;
};

std::string EscapeFormValue(std::string_view text, const CLeadByteTable &leads);
