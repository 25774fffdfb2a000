#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "DocumentSizes.h"
#include "ScanSettings.h"
#include "SettingsLists.h"
#include "TestStrings.h"
#include "res/settings_ids.h"

namespace {

using L = CSettingsLists;

struct SListCase {
    const char *name;
    const CValueList &list;
    std::vector<int32_t> codes;  // by list index
    int32_t defaultIndex;
    unsigned firstLabel;
};

std::vector<int32_t> Sizes(int32_t first, int32_t last) {
    std::vector<int32_t> codes;
    for (int32_t c = first; c <= last; ++c) {
        codes.push_back(c);
    }
    return codes;
}

std::vector<SListCase> Cases() {
    std::vector<int32_t> documentSize{0};
    for (int32_t c : Sizes(3, 28)) {
        documentSize.push_back(c);
    }
    documentSize.push_back(2);
    return {
        {"colour mode", L::ColorMode(), {0, 1, 2}, 0, 2101},
        {"resolution", L::Resolution(), {0, 1, 2, 3}, 0, 2201},
        {"document size", L::DocumentSize(), documentSize, 0, 2301},
        {"two-sided", L::TwoSided(), {0, 1, 2}, 0, 2501},
        {"mixed size", L::MixedSize(), {0, 1}, 0, 2601},
        {"density", L::Density(), {-3, -2, -1, 0, 1, 2, 3}, 3, 3101},
        {"contrast", L::Contrast(), {2, 1, 0, -1, -2}, 2, 3201},
        {"saturation", L::Saturation(), {2, 1, 0, -1, -2}, 2, 3301},
        {"sharpness", L::Sharpness(), {2, 1, 0, -1, -2}, 2, 3401},
        {"document type", L::DocumentType(), {2, 0, 1}, 0, 3501},
        {"background", L::BackgroundRemoval(), {0, 1}, 0, 3601},
        {"show-through", L::ShowThrough(), {0, 1}, 0, 3701},
        {"photo paper", L::PhotographicPaper(), {0, 1}, 0, 3801},
        {"magnification", L::MagnificationMode(), {0, 1, 2, 3}, 0, 4110},
        {"preset ratio", L::PresetRatio(), {0, 1, 2, 3, 4, 5, 6}, 1, 4121},
        {"auto target", L::AutoTargetSize(), Sizes(3, 28), 0, 2302},
        {"format", L::OutputFormat(), {0, 1, 2, 3, 4}, 3, 5101},
        {"two-level", L::TwoLevelCompression(), {0, 1, 2}, 0, 5211},
        {"colour compression", L::ColorCompression(), {0, 1, 2, 3, 4}, 2, 5221},
        {"encoding", L::Encoding(), {0, 1}, 1, 5301},
        {"correction", L::LevelCorrection(), {0, 1}, 0, 5401},
    };
}

TEST(ValueList, MapsEveryIndexAndCodeBothWaysAndUnknownsToMinusOne) {
    for (const SListCase &c : Cases()) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(c.list.Count(), c.codes.size());
        EXPECT_EQ(c.list.DefaultIndex(), c.defaultIndex);
        EXPECT_EQ(c.list.Entries()[0].labelId, c.firstLabel);
        for (size_t i = 0; i < c.codes.size(); ++i) {
            const auto index = static_cast<int32_t>(i);
            EXPECT_EQ(c.list.Entries()[i].index, index);
            EXPECT_EQ(c.list.IndexToCode(index), c.codes[i]);
            EXPECT_EQ(c.list.CodeToIndex(c.codes[i]), index);
            EXPECT_FALSE(TestStrings().Load(c.list.Entries()[i].labelId).empty());
        }
        EXPECT_EQ(c.list.IndexToCode(-1), -1);
        EXPECT_EQ(c.list.IndexToCode(static_cast<int32_t>(c.codes.size())), -1);
        EXPECT_EQ(c.list.CodeToIndex(99), -1);
    }
}

TEST(ValueList, WithoutDefaultFlagTheFirstIndexIsStandard) {
    constexpr SValueEntry entries[] = {{0, 1, false, 7}, {1, 2, false, 8}};
    EXPECT_EQ(CValueList(entries).DefaultIndex(), 0);
    EXPECT_EQ(CValueList(entries).DefaultCode(), 7);
}

TEST(ValueList, LabelsComeFromTheStringTable) {
    const struct {
        unsigned id;
        const wchar_t *text;
    } labels[] = {
        {2101, L"フルカラー"}, {2103, L"白黒(2階調)"},    {2301, L"自動検知"},
        {2302, L"A3"},         {2327, L"11x17"},          {2328, L"任意サイズ"},
        {3104, L"ふつう"},     {3101, L"うすく(-3)"},     {3107, L"こく(+3)"},
        {3501, L"文字/写真"},  {4140, L"自動"},           {4127, L"141%(A4→A3/B5→B4)"},
        {5105, L"高圧縮PDF"},  {5225, L"JPEG(最高品質)"}, {5402, L"する"},
    };
    for (const auto &label : labels) {
        EXPECT_EQ(TestStrings().Load(label.id), label.text) << label.id;
    }
}

TEST(ScanSettings, IniDefaultsAndStandardDifferWhereTheFileFormatSaysSo) {
    const CScanSettings ini = CScanSettings::IniDefaults();
    EXPECT_EQ(ini, CScanSettings());
    EXPECT_EQ(ini.ImageMode, 2);
    EXPECT_EQ(ini.Photographs, -1);
    EXPECT_EQ(ini.MagnificationFixed, 1);
    EXPECT_EQ(ini.MagnificationAuto, 3);
    EXPECT_EQ(ini.Format, 0);
    EXPECT_EQ(ini.Color, 0);
    EXPECT_EQ(ini.Encode, 0);

    CScanSettings expected = ini;
    expected.Photographs = 0;
    expected.Format = 3;
    expected.Color = 2;
    expected.Encode = 1;
    EXPECT_EQ(CScanSettings::Standard(), expected);
}

TEST(ScanSettings, KeysCoverEveryStoredFieldOnce) {
    std::vector<std::string> names;
    for (const auto &key : CScanSettings::Keys()) {
        EXPECT_NE(key.intField == nullptr, key.realField == nullptr) << key.name;
        names.emplace_back(key.name);
    }
    EXPECT_EQ(names.size(), 26u);
    EXPECT_EQ(names.front(), "PaperPlace");
    EXPECT_EQ(names.back(), "Correction");
    EXPECT_EQ(std::count(names.begin(), names.end(), "EdgeErase"), 1);
}

TEST(ScanSettings, ResolutionCodeGivesAreaDpi) {
    const int32_t expected[][2] = {{0, 200}, {1, 300}, {2, 400}, {3, 600}, {-1, 400}, {9, 400}};
    for (const auto &row : expected) {
        CScanSettings s;
        s.Resolution = row[0];
        s.UpdateAreaResolution();
        EXPECT_EQ(s.AreaResolution, row[1]) << row[0];
    }
}

TEST(DocumentSizes, StandardCodesHaveSizesThatFitTheCustomLimits) {
    const CDocumentSizes sizes(TestStrings());
    const auto a3 = sizes.Size(3);
    ASSERT_TRUE(a3);
    EXPECT_EQ(a3->widthMm, 420);
    EXPECT_EQ(a3->heightMm, 297);
    const auto a4Portrait = sizes.Size(5);
    ASSERT_TRUE(a4Portrait);
    EXPECT_EQ(a4Portrait->widthMm, 210);
    EXPECT_DOUBLE_EQ(sizes.Size(25)->heightMm, 279.4);
    for (int32_t code = 3; code <= 28; ++code) {
        const auto size = sizes.Size(code);
        ASSERT_TRUE(size) << code;
        EXPECT_LE(size->widthMm, 432) << code;
        EXPECT_LE(size->heightMm, 297) << code;
    }
    for (int32_t code : {-1, 0, 1, 2, 29}) {
        EXPECT_FALSE(sizes.Size(code)) << code;
    }
}

TEST(DocumentSizes, DamagedTableEntriesGiveNoSize) {
    class CDamaged : public IStringSource {
    public:
        std::wstring Load(unsigned id) const override {
            switch (id - IDS_PAPERSIZE_FIRST) {
                case 0:
                    return L"420";
                case 1:
                    return L"297 abc";
                case 2:
                    return L"0 297";
                case 3:
                    return L"  210\t148 ";
                default:
                    return L"";
            }
        }
    } damaged;
    const CDocumentSizes sizes(damaged);
    EXPECT_FALSE(sizes.Size(3));
    EXPECT_FALSE(sizes.Size(4));
    EXPECT_FALSE(sizes.Size(5));
    ASSERT_TRUE(sizes.Size(6));
    EXPECT_EQ(sizes.Size(6)->heightMm, 148);
    EXPECT_FALSE(sizes.Size(7));
}

}  // namespace
