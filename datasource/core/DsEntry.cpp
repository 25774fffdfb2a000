// The source's one export. Triplet dispatch and the TWAIN state machine are
// not built yet: until they are, every triplet fails so that a source
// manager that loads this module gets an honest refusal.
#include "twain/twain.h"

extern "C" TW_UINT16 TW_CALLINGSTYLE DS_Entry(pTW_IDENTITY, TW_UINT32, TW_UINT16, TW_UINT16,
                                              TW_MEMREF) {
    return TWRC_FAILURE;
}
