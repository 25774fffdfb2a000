// The enabling rules in every combination of their inputs, and the
// dialog's arithmetic at its edges.
#include "PageRules.h"

#include "CharacterMask.h"

#include <gtest/gtest.h>

namespace {

TEST(PageRules, BasicPageInEveryPaperPlaceMixAndSize) {
    for (int32_t place : {0, 1})
        for (bool mixed : {false, true})
            for (int32_t size : {0, 1, 26, 27}) {
                const SBasicEnabling e = CPageRules::Basic(place, mixed, size);
                const bool choice = place == 0 || !mixed;
                SCOPED_TRACE(testing::Message() << place << mixed << size);
                EXPECT_EQ(e.sizeEnabled, choice);
                EXPECT_EQ(e.customEnabled, choice && size == 27);
                EXPECT_EQ(e.areaShown, place == 0);
                EXPECT_EQ(e.duplexShown, place == 1);
            }
}

TEST(PageRules, QualityPageFollowsColourModePaperPlaceAndPhotoOption) {
    struct Row {
        int32_t colour, place;
        bool option;
        SQualityEnabling want;
    };
    const Row rows[] = {
        {0, 0, true, {true, true, false, true, true, true, false}},
        {1, 0, true, {true, false, false, true, true, true, false}},
        {2, 0, true, {false, false, true, false, true, true, false}},
        {-1, 0, true, {false, false, false, false, true, true, false}},
        {0, 1, true, {true, true, false, true, true, false, true}},
        {2, 1, false, {false, false, true, false, false, false, true}},
        {1, 0, false, {true, false, false, true, false, false, true}},
    };
    for (const Row &r : rows) {
        const SQualityEnabling e = CPageRules::Quality(r.colour, r.place, r.option);
        SCOPED_TRACE(testing::Message() << r.colour << " " << r.place << " " << r.option);
        EXPECT_EQ(e.contrast, r.want.contrast);
        EXPECT_EQ(e.saturation, r.want.saturation);
        EXPECT_EQ(e.documentType, r.want.documentType);
        EXPECT_EQ(e.showThrough, r.want.showThrough);
        EXPECT_EQ(e.photoShown, r.want.photoShown);
        EXPECT_EQ(e.photoEnabled, r.want.photoEnabled);
        EXPECT_EQ(e.photoCleared, r.want.photoCleared);
    }
    for (int32_t mode = 0; mode < 4; ++mode) {
        const SInputEnabling e = CPageRules::Input(mode);
        EXPECT_EQ(e.presetRatio, mode == 1);
        EXPECT_EQ(e.zoom, mode == 2);
        EXPECT_EQ(e.autoTarget, mode == 3);
    }
}

TEST(PageRules, ZoomEntryAndEstimatedSizeAtTheirEdges) {
    const std::pair<const wchar_t *, int32_t> zooms[] = {
        {L"100", 100}, {L"25", 25}, {L"400", 400}, {L"500", 400}, {L"10", 25},
        {L"0", 25},    {L"", 25},   {L"1a", 25},   {L"-5", 25},   {L"99999999999", 25},
    };
    for (const auto &[text, want] : zooms)
        EXPECT_EQ(CPageRules::ZoomFromText(text), want) << '"' << text << '"';

    const std::pair<uint64_t, const wchar_t *> sizes[] = {
        {0, L"0.0 K"},
        {1023, L"0.9 K"},
        {1536, L"1.5 K"},
        {1048576, L"1024.0 K"},
        {1048577, L"1.0 M"},
        {26214400, L"25.0 M"},
        {5000000000, L"4768.4 M"},
    };
    for (const auto &[bytes, want] : sizes)
        EXPECT_EQ(CPageRules::EstimatedSizeText(bytes), want) << bytes;
    EXPECT_EQ(CPageRules::EstimatedBytes(800, 0), 2400u);
    EXPECT_EQ(CPageRules::EstimatedBytes(800, 1), 800u);
    EXPECT_EQ(CPageRules::EstimatedBytes(800, 2), 100u);
}

TEST(CharacterMask, EachBitLetsItsCharactersThroughAndControlsNever) {
    struct Row {
        uint32_t mask;
        const wchar_t *text;
        size_t limit;
        bool accepted;
    };
    const Row rows[] = {
        {7, L"scan-1.example.jp", 0, true},
        {7, L"scan 1", 0, false},
        {7, L"a\tb", 0, false},
        {1, L"abcXYZ", 0, true},
        {1, L"abc1", 0, false},
        {2, L"0123", 0, true},
        {2, L"12.3", 0, false},
        {4, L"-_.:/@", 0, true},
        {4, L"a", 0, false},
        {8, L"  ", 0, true},
        {255, L"a 1.\u30b9", 0, true},
        {255, L"\x7f", 0, false},
        {7, L"", 0, true},
        {7, L"abcd", 3, false},
        {7, L"abc", 3, true},
        {4, L"\u30b9\u30ad", 0, true},
    };
    for (const Row &r : rows)
        EXPECT_EQ(CCharacterMask::Accepts(r.mask, r.text, r.limit), r.accepted)
            << r.mask << " " << static_cast<int>(r.text[0]);
}

}  // namespace
