#include "RecordingDsm.h"

#include <cstring>
#include <vector>

namespace {
std::vector<RecordedDsmCall> &Calls() {
    static std::vector<RecordedDsmCall> calls;
    return calls;
}
}  // namespace

extern "C" {

TW_UINT16 TW_CALLINGSTYLE DSM_Entry(pTW_IDENTITY pOrigin, pTW_IDENTITY pDest, TW_UINT32 DG,
                                    TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData) {
    RecordedDsmCall call{};
    call.originId = pOrigin ? pOrigin->Id : 0xffffffff;
    call.destId = pDest ? pDest->Id : 0xffffffff;
    call.DG = DG;
    call.DAT = DAT;
    call.MSG = MSG;
    call.dataWasNull = pData == nullptr;
    if (pOrigin)
        std::memcpy(call.originProduct, pOrigin->ProductName, sizeof(call.originProduct));
    Calls().push_back(call);
    return TWRC_SUCCESS;
}

int __cdecl RecordedCount() {
    return static_cast<int>(Calls().size());
}

bool __cdecl RecordedCall(int index, RecordedDsmCall *call) {
    if (index < 0 || index >= RecordedCount() || !call)
        return false;
    *call = Calls()[static_cast<size_t>(index)];
    return true;
}

void __cdecl ClearRecorded() {
    Calls().clear();
}
}
