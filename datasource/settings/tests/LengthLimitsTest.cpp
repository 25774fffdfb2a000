#include <gtest/gtest.h>

#include "LengthLimits.h"
#include "TestStrings.h"
#include "TextFormat.h"

namespace {

using E = ELimitedLength;
using U = ELengthUnit;
constexpr U kUnits[] = {U::Millimetre, U::Inch, U::Point, U::Q};
constexpr E kLengths[] = {E::CustomHeight, E::CustomWidth, E::EdgeErase};

TEST(LengthLimits, RangeLabelsPerUnit) {
    const CLengthLimits limits(TestStrings());
    const struct {
        E length;
        U unit;
        const wchar_t *label;
    } cases[] = {
        {E::CustomHeight, U::Millimetre, L"(15.0～297.0mm)"},
        {E::CustomHeight, U::Inch, L"(0.591～11.693inch)"},
        {E::CustomHeight, U::Point, L"(42.5～841.9pt)"},
        {E::CustomHeight, U::Q, L"(60.0～1188.0級)"},
        {E::CustomWidth, U::Millimetre, L"(15.0～432.0mm)"},
        {E::CustomWidth, U::Inch, L"(0.591～17.008inch)"},
        {E::CustomWidth, U::Point, L"(42.5～1224.6pt)"},
        {E::CustomWidth, U::Q, L"(60.0～1728.0級)"},
        {E::EdgeErase, U::Millimetre, L"(0.0～50.0mm)"},
        {E::EdgeErase, U::Inch, L"(0.000～1.969inch)"},
        {E::EdgeErase, U::Point, L"(0.0～141.7pt)"},
        {E::EdgeErase, U::Q, L"(0.0～200.0級)"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(limits.RangeLabel(c.length, c.unit), c.label);
    }
    EXPECT_EQ(limits.ZoomRangeLabel(), L"(25～400%)");
    EXPECT_EQ(limits.DefaultText(E::CustomWidth, U::Point), L"283.46");
    EXPECT_EQ(limits.DefaultText(E::EdgeErase, U::Q), L"8");
}

// The strings are the millimetre bounds and defaults, rounded for display.
TEST(LengthLimits, UnitStringsAgreeWithTheMillimetreLimits) {
    const CLengthLimits limits(TestStrings());
    for (E length : kLengths) {
        for (U unit : kUnits) {
            const double step = unit == U::Inch ? 0.0005 : 0.05;
            const auto check = [&](const std::wstring &text, double mm) {
                const auto value = CTextFormat::ParseDecimal(text);
                ASSERT_TRUE(value) << static_cast<int>(unit);
                EXPECT_NEAR(*value, CUnitConversion::MmToUnit(mm, unit), step)
                    << static_cast<int>(length) << "/" << static_cast<int>(unit);
            };
            check(limits.MinText(length, unit), CLengthLimits::MinMm(length));
            check(limits.MaxText(length, unit), CLengthLimits::MaxMm(length));
            check(limits.DefaultText(length, unit), CLengthLimits::DefaultMm(length));
        }
    }
}

TEST(LengthLimits, CheckAcceptsWhatTheLabelShowsAndRefusesTheRest) {
    const CLengthLimits limits(TestStrings());
    const struct {
        E length;
        U unit;
        const wchar_t *text;
        bool accepted;
        double mm;
    } cases[] = {
        {E::CustomHeight, U::Inch, L"11.693", true, 297},
        {E::CustomHeight, U::Inch, L"11.694", false, 0},
        {E::CustomHeight, U::Inch, L"11.8", false, 0},
        {E::CustomHeight, U::Inch, L"0.591", true, 15.0114},
        {E::CustomHeight, U::Inch, L"0.5906", true, 15.0012},
        {E::CustomHeight, U::Millimetre, L"15", true, 15},
        {E::CustomHeight, U::Millimetre, L"14.9", false, 0},
        {E::CustomHeight, U::Millimetre, L"297", true, 297},
        {E::CustomHeight, U::Millimetre, L"297.1", false, 0},
        {E::CustomHeight, U::Point, L"841.9", true, 297},
        {E::CustomHeight, U::Q, L"1188", true, 297},
        {E::CustomHeight, U::Q, L"1189", false, 0},
        {E::CustomWidth, U::Point, L"1224.6", true, 432},
        {E::CustomWidth, U::Millimetre, L"432", true, 432},
        {E::CustomWidth, U::Millimetre, L"", false, 0},
        {E::CustomWidth, U::Millimetre, L"abc", false, 0},
        {E::EdgeErase, U::Inch, L"1.969", true, 50},
        {E::EdgeErase, U::Millimetre, L"0", true, 0},
        {E::EdgeErase, U::Millimetre, L"-0.1", false, 0},
        {E::EdgeErase, U::Q, L"8", true, 2},
    };
    for (const auto &c : cases) {
        const SLimitCheck result = limits.Check(c.length, c.unit, c.text);
        EXPECT_EQ(result.accepted, c.accepted)
            << static_cast<int>(c.length) << " " << static_cast<int>(c.unit) << " " << c.mm;
        if (c.accepted) {
            EXPECT_NEAR(result.mm, c.mm, 1e-4);
            EXPECT_TRUE(result.message.empty());
        } else {
            EXPECT_EQ(result.message, limits.RangeMessage(c.length, c.unit));
        }
    }
}

TEST(LengthLimits, RangeMessageNamesTheUnitsBounds) {
    const CLengthLimits limits(TestStrings());
    EXPECT_EQ(limits.RangeMessage(E::CustomHeight, U::Inch),
              L"0.591 から 11.693 の数値を設定してください。");
    EXPECT_EQ(limits.RangeMessage(E::EdgeErase, U::Q), L"0 から 200 の数値を設定してください。");
}

}  // namespace
