// A stand-in TWAIN_32.DLL for the tests: it records every DSM_Entry call
// the source makes. Tests load it by the same name and read the record.
#pragma once

#include "twain/twain.h"

struct RecordedDsmCall {
    TW_UINT32 originId;
    TW_UINT32 destId;
    TW_UINT32 DG;
    TW_UINT16 DAT;
    TW_UINT16 MSG;
    bool dataWasNull;
    char originProduct[34];
};

extern "C" {
typedef int(__cdecl *RecordedCountProc)();
typedef bool(__cdecl *RecordedCallProc)(int index, RecordedDsmCall *call);
typedef void(__cdecl *ClearRecordedProc)();
}
