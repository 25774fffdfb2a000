// A triplet that cannot be carried out, with the condition code the
// application then reads through DAT_STATUS. Code below DS_Entry throws it
// wherever it finds the failure; DS_Entry catches it and answers
// TWRC_FAILURE, so nothing else ever unwinds into the application.
#pragma once

#include "twain.h"

struct CTwainFailure {
    TW_UINT16 conditionCode;
};
