#include "TransferCases.h"

namespace {

struct SResolutionPage {
    int code;
    int size;
    double widthMm, heightMm;
    const char *tag;
};

constexpr SResolutionPage kResolutionPages[] = {
    {0, 5, 0, 0, "200dpi_A4"},
    {1, 7, 0, 0, "300dpi_A5"},
    {2, kSizeA6Portrait, 0, 0, "400dpi_A6"},
    {3, 2, 50.1, 40, "600dpi_custom"},
};

struct SMode {
    int code;
    const char *tag;
};

constexpr SMode kModes[] = {{2, "bw"}, {1, "grey"}, {0, "colour"}};

}  // namespace

std::string MechName(EXferMech mech) {
    switch (mech) {
        case EXferMech::Native:
            return "native";
        case EXferMech::File:
            return "file";
        default:
            return "memory";
    }
}

void PrintTo(const STransferCase &c, std::ostream *out) {
    *out << c.name;
}

std::string TransferCaseName(const ::testing::TestParamInfo<STransferCase> &info) {
    return info.param.name;
}

std::vector<STransferCase> ModeAndResolutionCases(EXferMech mech) {
    std::vector<STransferCase> cases;
    for (const SMode &mode : kModes)
        for (const SResolutionPage &page : kResolutionPages) {
            STransferCase c;
            c.name = MechName(mech) + "_" + mode.tag + "_" + page.tag;
            c.mech = mech;
            c.setup.colorMode = mode.code;
            c.setup.resolution = page.code;
            c.setup.mediumSize = page.size;
            if (page.widthMm > 0) {
                c.setup.customWidthMm = page.widthMm;
                c.setup.customHeightMm = page.heightMm;
            }
            cases.push_back(c);
        }
    return cases;
}

std::vector<STransferCase> FeederAndRowPaddingCases(EXferMech mech) {
    STransferCase feeder;
    feeder.name = MechName(mech) + "_feeder_3_sheets_grey_A6";
    feeder.mech = mech;
    feeder.setup.paperPlace = 1;
    feeder.setup.colorMode = 1;
    feeder.setup.mediumSize = kSizeA6Portrait;
    feeder.scenario = {"--feeder-sheets", "3"};
    feeder.pages = 3;

    STransferCase padded;
    padded.name = MechName(mech) + "_colour_rows_padded_to_8";
    padded.mech = mech;
    padded.scenario = {"--row-align", "8"};

    STransferCase unpadded;
    unpadded.name = MechName(mech) + "_colour_rows_unpadded";
    unpadded.mech = mech;
    unpadded.setup.mediumSize = kSizeA6Portrait;
    unpadded.scenario = {"--row-align", "1"};
    return {feeder, padded, unpadded};
}
