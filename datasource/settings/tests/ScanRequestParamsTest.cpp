#include <gtest/gtest.h>

#include <string>

#include "ScanRequestParams.h"

namespace {

TEST(ScanRequestParams, MagnificationModeGivesIsotropicAndOutputSize) {
    const struct {
        int32_t mode, fixed, zoom, autoSize;
        SMagnification expected;
    } cases[] = {
        {0, 3, 250, 5, {100, 0}},  {1, 0, 250, 5, {50, 0}},  {1, 1, 250, 5, {70, 0}},
        {1, 2, 250, 5, {81, 0}},   {1, 3, 250, 5, {86, 0}},  {1, 4, 250, 5, {115, 0}},
        {1, 5, 250, 5, {122, 0}},  {1, 6, 250, 5, {141, 0}}, {1, 9, 250, 5, {100, 0}},
        {1, -1, 250, 5, {100, 0}}, {2, 1, 250, 5, {250, 0}}, {3, 1, 250, 5, {0, 5}},
        {4, 1, 250, 5, {0, 0}},    {-1, 1, 250, 5, {0, 0}},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(CScanRequestParams::Magnification(c.mode, c.fixed, c.zoom, c.autoSize),
                  c.expected)
            << c.mode << "/" << c.fixed;
    }
}

TEST(ScanRequestParams, CustomSizeIsSentInWholeTenthsOfAMillimetre) {
    const struct {
        double mm;
        int32_t tenths;
    } cases[] = {{50.1, 501}, {100.57, 1005}, {296.99, 2969}, {0.3, 3}, {210, 2100}, {99.99, 999}};
    for (const auto &c : cases) {
        CScanSettings s;
        s.InputMediumCustomWidth = c.mm;
        s.InputMediumCustomHeight = c.mm;
        const CScanRequestParams p = CScanRequestParams::FromSettings(s, false, true);
        EXPECT_EQ(p.ImageWidth, c.tenths) << c.mm;
        EXPECT_EQ(p.ImageHeight, c.tenths) << c.mm;
    }
}

CScanSettings Distinct() {
    CScanSettings s;
    s.PaperPlace = 1;
    s.ScanFace = 2;
    s.ColorMode = 1;
    s.Resolution = 3;
    s.InputMediumSize = 2;
    s.InputMediumCustomWidth = 100.57;
    s.InputMediumCustomHeight = 296.99;
    s.InputMediumMix = 1;
    s.Brightness = -3;
    s.Contrast = 2;
    s.Saturation = -1;
    s.Sharpness = 1;
    s.EnableBackground = 1;
    s.BleedthroughRemoval = 1;
    s.Photographs = 1;
    s.ImageMode = 0;
    s.Magnification = 3;
    s.MagnificationAuto = 12;
    s.EdgeErase = 2.9;
    return s;
}

TEST(ScanRequestParams, EveryParameterComesFromItsSetting) {
    const CScanRequestParams p = CScanRequestParams::FromSettings(Distinct(), false, true);
    const std::pair<std::string, int32_t> expected[] = {
        {"X_PAPER_PLACE", 1},
        {"X_SCAN_FACE", 2},
        {"X_COLOR_MODE", 1},
        {"X_RESOLUTION", 3},
        {"X_INPUTMEDIUMSIZE", 2},
        {"X_IMAGE_WIDTH", 1005},
        {"X_IMAGE_HEIGHT", 2969},
        {"X_INPUTMEDIUMMIX", 1},
        {"X_BRIGHTNESS", -3},
        {"X_CONTRAST", 2},
        {"X_SATURATION", -1},
        {"X_SHARPNESS", 1},
        {"X_ENABLEBACKGROUNDELIMINATION", 1},
        {"X_BLEEDTHROUGHREMOVAL", 1},
        {"X_PHOTOGRAPHS", 1},
        {"X_IMAGE_MODE", 0},
        {"X_ISOTROPIC", 0},
        {"X_EDGEERASE", 2},
        {"X_OUTPUTMEDIUMSIZE", 12},
    };
    const auto fields = p.Fields();
    ASSERT_EQ(fields.size(), std::size(expected));
    for (size_t i = 0; i < fields.size(); ++i) {
        EXPECT_EQ(fields[i].key, expected[i].first);
        EXPECT_EQ(fields[i].value, expected[i].second) << expected[i].first;
    }
}

TEST(ScanRequestParams, PhotographsAreSentOnlyWhileTheOptionIsOffered) {
    const struct {
        bool offered;
        int32_t stored, sent;
    } cases[] = {{false, 1, -1}, {false, 0, -1}, {false, -1, -1}, {true, 1, 1}, {true, 0, 0}};
    for (const auto &c : cases) {
        CScanSettings s = Distinct();
        s.Photographs = c.stored;
        EXPECT_EQ(CScanRequestParams::FromSettings(s, false, c.offered).Photographs, c.sent)
            << c.offered << " " << c.stored;
    }
}

TEST(ScanRequestParams, PlatenScansAndPrescansSendOneSidedFromTheGlass) {
    CScanSettings glass = Distinct();
    glass.PaperPlace = 0;
    glass.ScanFace = 1;
    EXPECT_EQ(CScanRequestParams::FromSettings(glass, false, true).ScanFace, 0);

    const CScanRequestParams prescan = CScanRequestParams::FromSettings(Distinct(), true, true);
    EXPECT_EQ(prescan.PaperPlace, 0);
    EXPECT_EQ(prescan.ScanFace, 0);
    CScanRequestParams scan = CScanRequestParams::FromSettings(Distinct(), false, true);
    scan.PaperPlace = 0;
    scan.ScanFace = 0;
    EXPECT_EQ(prescan, scan);
}

}  // namespace
