// One call of DS_Entry as the handlers see it.
#pragma once

#include "twain/twain.h"

struct TwainTriplet {
    pTW_IDENTITY pOrigin;
    TW_UINT32 DG;
    TW_UINT16 DAT;
    TW_UINT16 MSG;
    TW_MEMREF pData;
};
