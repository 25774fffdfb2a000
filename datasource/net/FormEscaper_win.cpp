#include "FormEscaper.h"

#include <windows.h>

CLeadByteTable CLeadByteTable::SystemCodePage() {
    CLeadByteTable t;
    for (int c = 0x80; c <= 0xff; ++c)
        if (IsDBCSLeadByte(static_cast<BYTE>(c)))
            t.SetLead(static_cast<unsigned char>(c));
    return t;
}
