// The lines of the favourites dialog's settings tree.
#include <gtest/gtest.h>

#include "FavoriteTree.h"
#include "ScanSettings.h"

namespace {

// Every string shows as its id, so a line names the labels it was made of.
class CIdStrings : public IStringSource {
public:
    std::wstring Load(unsigned id) const override { return L"<" + std::to_wstring(id) + L">"; }
};

TEST(FavoriteTree, ShowsEveryGroupAndMarksWhatDiffersFromTheStandard) {
    const CFavoriteInfo standard = CFavoriteInfo::FromSettings(CScanSettings::Standard());
    CFavoriteInfo f = standard;
    f.ColorMode = 2;
    f.InputMediumSize = 27;  // custom: its height and width follow
    f.InputMediumCustomHeight = 297;
    f.Contrast = 0;
    f.Magnification = 2;
    f.MagnificationZoom = 150;
    f.EdgeErase = 7.5;
    f.Monochrome = 2;
    f.Encode = 9;  // no such position: shown as the number
    const std::vector<CFavoriteTree::SLine> expected = {
        {0, L"<2000>", false},          {1, L"<2100> <2103>", true},
        {1, L"<2200> <2201>", false},   {1, L"<2300> <2328>", true},
        {2, L"<2340> 297.0(mm)", true}, {2, L"<2341> 100.0(mm)", false},
        {1, L"<2500> <2501>", false},   {1, L"<2600> <2601>", false},
        {0, L"<3000>", false},          {1, L"<3100> <3104>", false},
        {1, L"<3200> <3201>", true},    {1, L"<3300> <3303>", false},
        {1, L"<3400> <3403>", false},   {1, L"<3500> <3501>", false},
        {1, L"<3600> <3601>", false},   {1, L"<3700> <3701>", false},
        {1, L"<3800> <3801>", false},   {0, L"<4000>", false},
        {1, L"<4100> <4130>", true},    {2, L"<4130> : 150(%)", true},
        {1, L"<4210> 7.5(mm)", true},   {0, L"<5000>", false},
        {1, L"<5100> <5104>", false},   {1, L"<5200>", false},
        {2, L"<5210> <5213>", true},    {2, L"<5220> <5223>", false},
        {1, L"<5300> 9", true},         {1, L"<5400> <5401>", false},
    };
    const auto lines = CFavoriteTree::Lines(f, standard, CIdStrings());
    ASSERT_EQ(lines.size(), expected.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(lines[i].level, expected[i].level);
        EXPECT_EQ(lines[i].text, expected[i].text);
        EXPECT_EQ(lines[i].changed, expected[i].changed);
    }

    // The standard favourite itself: nothing marked, no detail lines but
    // the compressions; preset and automatic magnification name their choice.
    size_t marked = 0;
    for (const auto &line : CFavoriteTree::Lines(standard, standard, CIdStrings()))
        marked += line.changed ? 1 : 0;
    EXPECT_EQ(marked, 0u);
    EXPECT_EQ(CFavoriteTree::Lines(standard, standard, CIdStrings()).size(), expected.size() - 3);
    f.Magnification = 1;
    EXPECT_EQ(CFavoriteTree::Lines(f, standard, CIdStrings())[19].text, L"<4120> : <4122>");
    f.Magnification = 3;
    f.MagnificationAuto = 2;
    EXPECT_EQ(CFavoriteTree::Lines(f, standard, CIdStrings())[19].text, L"<4140> : <2304>");
    EXPECT_TRUE(CFavoriteTree::Lines(f, standard, CIdStrings())[19].changed);
}

}  // namespace
