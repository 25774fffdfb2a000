#include "FormEscaper.h"

// The native build stands in for a Japanese Windows system.
CLeadByteTable CLeadByteTable::SystemCodePage() {
    return CodePage932();
}
