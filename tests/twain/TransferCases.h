// The pages every transfer mechanism must deliver unchanged: each colour
// mode at each resolution, a feeder stack, and server rows padded
// differently from DIB rows. Shared by the test programs of the three
// mechanisms.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "SourceSettingsFile.h"
#include "TwainTestClient.h"

// Size code of A6 portrait in the settings file.
constexpr int kSizeA6Portrait = 9;

struct STransferCase {
    std::string name;
    EXferMech mech = EXferMech::Memory;
    SScanSetup setup;
    std::vector<std::string> scenario;
    size_t pages = 1;
    TW_UINT32 memBufferSize = 0;
    bool placeByOffsets = false;
};

// Colour modes x resolutions; the page shrinks as the resolution grows so
// that every page stays a few megabytes (600 dpi: a custom size of an odd
// pixel width).
std::vector<STransferCase> ModeAndResolutionCases(EXferMech mech);
// A feeder stack of three sheets, and rows the server pads to 8 bytes
// (colour A4 at 200 dpi: 4962 pixel bytes, 4968 sent, 4964 in a DIB) or
// not at all (colour A6, 2481 bytes a row).
std::vector<STransferCase> FeederAndRowPaddingCases(EXferMech mech);

std::string MechName(EXferMech mech);
// Test names carry the case's name rather than its bytes.
void PrintTo(const STransferCase &c, std::ostream *out);
std::string TransferCaseName(const ::testing::TestParamInfo<STransferCase> &info);
