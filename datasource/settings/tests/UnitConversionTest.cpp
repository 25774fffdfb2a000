#include <gtest/gtest.h>

#include <cmath>

#include "TextFormat.h"
#include "UnitConversion.h"

namespace {

using U = CUnitConversion;
constexpr ELengthUnit kUnits[] = {ELengthUnit::Millimetre, ELengthUnit::Inch, ELengthUnit::Point,
                                  ELengthUnit::Q};
constexpr int32_t kResolutions[] = {200, 300, 400, 600};

TEST(UnitConversion, OneInchInEveryUnit) {
    const double inch[] = {25.4, 1, 72, 101.6};
    for (size_t u = 0; u < 4; ++u) {
        EXPECT_NEAR(U::MmToUnit(25.4, kUnits[u]), inch[u], 1e-9) << u;
        EXPECT_NEAR(U::UnitToMm(inch[u], kUnits[u]), 25.4, 1e-9) << u;
        for (int32_t dpi : kResolutions) {
            EXPECT_NEAR(U::PixelsToUnit(dpi, dpi, kUnits[u]), inch[u], 1e-9);
            EXPECT_NEAR(U::PixelsPerUnit(dpi, kUnits[u]) * inch[u], dpi, 1e-9);
            EXPECT_EQ(U::UnitToPixels(inch[u], kUnits[u], dpi), dpi);
        }
    }
    EXPECT_DOUBLE_EQ(U::MmToUnit(1, ELengthUnit::Q), 4);
}

TEST(UnitConversion, MillimetresRoundTripThroughEveryUnit) {
    for (ELengthUnit unit : kUnits) {
        for (double mm : {0.0, 0.1, 2.0, 15.0, 100.0, 297.0, 431.8, 432.0}) {
            EXPECT_NEAR(U::UnitToMm(U::MmToUnit(mm, unit), unit), mm, 1e-9);
        }
    }
}

TEST(UnitConversion, PixelsRoundTripAtEveryUnitAndResolution) {
    for (ELengthUnit unit : kUnits) {
        for (int32_t dpi : kResolutions) {
            for (int32_t p = 0; p <= 10300; p += 7) {
                ASSERT_EQ(U::UnitToPixels(U::PixelsToUnit(p, dpi, unit), unit, dpi), p)
                    << static_cast<int>(unit) << " " << dpi;
            }
        }
    }
}

TEST(UnitConversion, RoundingAndRescaling) {
    EXPECT_EQ(U::MmToPixels(210, 200), 1654);  // 1653.54
    EXPECT_EQ(U::MmToPixels(297, 600), 7016);  // 7015.75
    EXPECT_EQ(U::RescalePixels(100, 200, 300), 150);
    EXPECT_EQ(U::RescalePixels(1, 600, 200), 0);
    EXPECT_EQ(U::RescalePixels(2, 600, 200), 1);
    EXPECT_EQ(U::RescalePixels(5, 0, 200), 5);
    EXPECT_EQ(U::Truncate(1005.9), 1005);
    EXPECT_EQ(U::Truncate(1e12), INT32_MAX);
    EXPECT_EQ(U::Round(NAN), 0);
    EXPECT_EQ(U::PixelsToUnit(100, 0, ELengthUnit::Inch), 0);
}

TEST(UnitConversion, UnknownUnitCodesShowMillimetres) {
    EXPECT_EQ(U::FromCode(3), ELengthUnit::Q);
    EXPECT_EQ(U::FromCode(4), ELengthUnit::Millimetre);
    EXPECT_EQ(U::FromCode(-1), ELengthUnit::Millimetre);
}

TEST(UnitConversion, LengthsShowThreeDecimalsInInchAndOneElsewhere) {
    const struct {
        double mm;
        ELengthUnit unit;
        const wchar_t *text;
    } cases[] = {
        {100, ELengthUnit::Millimetre, L"100.0"}, {100, ELengthUnit::Inch, L"3.937"},
        {100, ELengthUnit::Point, L"283.5"},      {100, ELengthUnit::Q, L"400.0"},
        {2, ELengthUnit::Inch, L"0.079"},         {0, ELengthUnit::Inch, L"0.000"},
        {-0.01, ELengthUnit::Millimetre, L"0.0"}, {0.25, ELengthUnit::Millimetre, L"0.2"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(U::FormatMm(c.mm, c.unit), c.text) << c.mm;
    }
    EXPECT_STREQ(U::LengthFormat(ELengthUnit::Inch), "%.3lf");
    EXPECT_STREQ(U::LengthFormat(ELengthUnit::Q), "%.1lf");
}

TEST(TextFormat, ParsesWholeDecimalTextsOnly) {
    const struct {
        const wchar_t *text;
        bool valid;
        double value;
    } cases[] = {
        {L"11.693", true, 11.693}, {L" 15 ", true, 15}, {L"+2", true, 2},    {L"-0.5", true, -0.5},
        {L".5", true, 0.5},        {L"", false, 0},     {L"  ", false, 0},   {L"12mm", false, 0},
        {L"1e3", false, 0},        {L"abc", false, 0},  {L"１５", false, 0}, {L"inf", false, 0},
    };
    for (const auto &c : cases) {
        const auto value = CTextFormat::ParseDecimal(c.text);
        EXPECT_EQ(value.has_value(), c.valid) << static_cast<int>(c.text[0]);
        if (value && c.valid) {
            EXPECT_DOUBLE_EQ(*value, c.value);
        }
    }
}

TEST(TextFormat, FillsConversionsInOrderAndNeverReadsPastTheArguments) {
    EXPECT_EQ(CTextFormat::Fill(L"(%.1lf～%.1lfmm)", {15.0, 297.0}), L"(15.0～297.0mm)");
    EXPECT_EQ(CTextFormat::Fill(L"(%.3lf～%.3lfinch)", {0.591, 11.693}), L"(0.591～11.693inch)");
    EXPECT_EQ(CTextFormat::Fill(L"(%d～%d%%)", {25, 400}), L"(25～400%)");
    EXPECT_EQ(CTextFormat::Fill(L"%s から %s", {std::wstring(L"1"), std::wstring(L"2")}),
              L"1 から 2");
    EXPECT_EQ(CTextFormat::Fill(L"%f", {1.5}), L"1.500000");
    EXPECT_EQ(CTextFormat::Fill(L"%d %s %d", {7}), L"7  ");
    EXPECT_EQ(CTextFormat::Fill(L"%x %", {1}), L"%x %");
}

}  // namespace
