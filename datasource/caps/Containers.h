// TWAIN containers in movable global memory. Every function that allocates
// throws TWCC_LOWMEMORY when the memory cannot be had, and a malformed
// container given by an application is refused with TWCC_BADVALUE.
#pragma once

#include <windows.h>

#include <vector>

#include "twain/TwainFailure.h"
#include "twain/twain.h"

// Bytes of one item of a TWTY_* type; throws TWCC_BADVALUE for an unknown type.
size_t TwainItemSize(TW_UINT16 itemType);

TW_FIX32 ToFix32(double value);
double FromFix32(TW_FIX32 fix);
TW_UINT32 Fix32Bits(double value);
double Fix32BitsToDouble(TW_UINT32 bits);

// Items of up to four bytes travel as TW_UINT32 here and are laid out in
// their own size in the container.
HGLOBAL MakeOneValue(TW_UINT16 itemType, TW_UINT32 value);
HGLOBAL MakeEnumeration(TW_UINT16 itemType, const std::vector<TW_UINT32> &items,
                        TW_UINT32 currentIndex = 0, TW_UINT32 defaultIndex = 0);
HGLOBAL MakeRange(double minValue, double maxValue, double step, double defaultValue,
                  double currentValue);
HGLOBAL MakeArray(TW_UINT16 itemType, const std::vector<TW_UINT32> &items);
HGLOBAL CopyContainer(HGLOBAL container);

// The single value of a TW_ONEVALUE (and its item type).
TW_UINT32 ReadOneValue(HGLOBAL container, TW_UINT16 *itemType);

// Reads a container given by an application, checking that the block is as
// large as its header says.
struct EnumerationView {
    TW_UINT16 itemType;
    TW_UINT32 numItems;
    TW_UINT32 currentIndex;
    TW_UINT32 defaultIndex;
    std::vector<TW_UINT32> items;
};
EnumerationView ReadEnumeration(HGLOBAL container);
TW_RANGE ReadRange(HGLOBAL container);
