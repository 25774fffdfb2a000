// The preview's arithmetic at its edges: zoom limits, anchors, snapping,
// rulers in every unit, the area edits' typing and ranges.
#include "LengthEditRules.h"
#include "PreviewRules.h"
#include "ScaleRules.h"

#include <gtest/gtest.h>

namespace {

using R = CPreviewRules;

TEST(PreviewRules, ZoomStartsFittedKeepsItsAnchorAndStopsAtItsLimits) {
    struct Fit {
        int32_t w, h, cw, ch, zoom;
    };
    const Fit fits[] = {
        {2000, 3000, 400, 520, 0},  // drawn 250 x 375
        {400, 520, 400, 520, 3},   {200, 100, 400, 520, 4},    {201, 100, 400, 520, 3},
        {100, 1048, 400, 520, 1},  {10000, 8000, 400, 520, 0}, {0, 0, 400, 520, 3},
    };
    for (const Fit &f : fits)
        EXPECT_EQ(R::InitialZoom(f.w, f.h, f.cw, f.ch), f.zoom) << f.w << "x" << f.h;
    EXPECT_EQ(R::ToScreen(2000, 0), 250);
    EXPECT_EQ(R::ToScreen(3000, 0), 375);

    EXPECT_EQ(R::StepZoom(4, true), 4);
    EXPECT_EQ(R::StepZoom(0, false), 0);
    EXPECT_EQ(R::StepZoom(3, true), 4);
    EXPECT_EQ(R::StepZoom(3, false), 2);

    // origin, anchor, from, to, image, client → origin
    const int32_t zooms[][7] = {
        {0, 100, 0, 1, 2000, 400, 400},  // pixel 800 stays under the anchor
        {0, 200, 0, 1, 2000, 400, 400},  // would be 800, past the scroll end
        {100, 51, 3, 4, 2000, 400, 126}, {126, 51, 4, 3, 2000, 400, 100},
        {10, 100, 3, 2, 2000, 400, 0},  // would be -90
        {0, 100, 1, 0, 2000, 400, 0},   // the whole image fits
    };
    for (const auto &z : zooms)
        EXPECT_EQ(R::OriginAfterZoom(z[0], z[1], z[2], z[3], z[4], z[5]), z[6])
            << z[0] << " " << z[1] << " " << z[2] << "->" << z[3];
    EXPECT_EQ(R::ScrollLimit(2000, 400, 4), 1800);
    EXPECT_EQ(R::ScrollLimit(2000, 400, 0), 0);

    // origin, from, to, zoom → origin (image 2000, client 400)
    const int32_t pans[][5] = {
        {100, 11, 10, 4, 100}, {100, 12, 10, 4, 101},   {100, 10, 20, 2, 80},
        {0, 10, 50, 3, 0},     {1590, 0, -40, 3, 1600},
    };
    for (const auto &p : pans)
        EXPECT_EQ(R::OriginAfterPan(p[0], p[1], p[2], 2000, 400, p[3]), p[4])
            << p[0] << " " << p[1] << "->" << p[2] << " z" << p[3];

    using C = EPreviewCursor;
    using M = EPointerMode;
    struct Pointer {
        M mode;
        int32_t zoom;
        bool over, handle, drag;
        C want;
    };
    const Pointer pointers[] = {
        {M::ZoomIn, 4, true, false, false, C::ZoomLimit},
        {M::ZoomIn, 3, true, false, false, C::ZoomIn},
        {M::ZoomOut, 0, true, false, false, C::ZoomLimit},
        {M::ZoomOut, 1, true, false, false, C::ZoomOut},
        {M::ZoomIn, 2, false, false, false, C::Arrow},
        {M::Hand, 2, true, false, false, C::Hand},
        {M::Hand, 2, true, false, true, C::HandDragging},
        {M::Select, 2, true, false, false, C::Cross},
        {M::Select, 2, true, true, false, C::TrackerHandle},
        {M::Select, 2, false, false, false, C::Arrow},
    };
    for (const Pointer &p : pointers)
        EXPECT_EQ(R::Cursor(p.mode, p.zoom, p.over, p.handle, p.drag), p.want)
            << static_cast<int>(p.mode) << " z" << p.zoom;
    EXPECT_EQ(static_cast<int32_t>(C::ZoomLimit), 1011);
}

TEST(PreviewRules, TrackerEdgesStayOnTheImageAndAreaFollowsEditsAndPrescans) {
    // screen, origin, image, zoom → edge
    const int32_t edges[][5] = {
        {37, 100, 2000, 4, 36},     {-5, 100, 2000, 4, -6}, {-500, 100, 2000, 4, -200},
        {5000, 100, 2000, 4, 3800}, {301, 0, 300, 3, 300},  {37, 0, 300, 3, 37},
        {300, 0, 2000, 0, 250},
    };
    for (const auto &e : edges)
        EXPECT_EQ(R::AdjustEdge(e[0], e[1], e[2], e[3]), e[4]) << e[0] << " z" << e[3];
    for (int32_t screen = -3; screen < 10; ++screen)
        EXPECT_EQ(R::AdjustEdge(screen, 7, 2000, 4) % 2, 0) << screen;

    auto same = [](SPreviewArea a, SPreviewArea b) {
        return a.top == b.top && a.left == b.left && a.width == b.width && a.height == b.height;
    };
    EXPECT_TRUE(same(R::AreaFromTracker(30, 40, 10, 20, 100, 50, 4), {60, 105, 10, 10}));
    EXPECT_TRUE(same(R::AreaFromTracker(10, 20, 30, 40, 0, 0, 0), {160, 80, 160, 160}));

    // A 2000 x 3000 image throughout.
    struct Clamp {
        SPreviewArea area, want;
    };
    const Clamp clamps[] = {
        {{0, 0, 0, 0}, {0, 0, 0, 0}},
        {{10, 20, 3000, 100}, {10, 0, 2000, 100}},
        {{2950, 1900, 200, 100}, {2900, 1800, 200, 100}},
        {{-5, -5, 10, 10}, {0, 0, 10, 10}},
    };
    for (const Clamp &c : clamps)
        EXPECT_TRUE(same(R::ClampToImage(c.area, 2000, 3000), c.want))
            << c.area.top << " " << c.area.left;

    struct Edit {
        EAreaEdge edge;
        int32_t pixels;
        SPreviewArea want;
    };
    const SPreviewArea before{100, 100, 500, 400};
    const Edit edits[] = {
        {EAreaEdge::Top, 2700, {2600, 100, 500, 400}},   {EAreaEdge::Left, -3, {100, 0, 500, 400}},
        {EAreaEdge::Width, 1950, {100, 100, 1900, 400}}, {EAreaEdge::Width, -1, {100, 100, 0, 400}},
        {EAreaEdge::Height, 50, {100, 100, 500, 50}},
    };
    for (const Edit &e : edits)
        EXPECT_TRUE(same(R::ApplyEdit(before, e.edge, e.pixels, 2000, 3000), e.want))
            << static_cast<int>(e.edge) << " " << e.pixels;
}

TEST(ScaleRules, StepsPerUnitAndZoomAndTicksFromTheScrolledEdge) {
    struct Step {
        int32_t dpi;
        ELengthUnit unit;
        int32_t zoom, step;
    };
    const Step steps[] = {
        {200, ELengthUnit::Millimetre, 3, 6},  {200, ELengthUnit::Inch, 3, 1},
        {200, ELengthUnit::Millimetre, 0, 50}, {200, ELengthUnit::Point, 0, 200},
        {600, ELengthUnit::Q, 4, 4},           {300, ELengthUnit::Point, 4, 5},
    };
    for (const Step &s : steps)
        EXPECT_EQ(CScaleRules::LabelStep(CScaleRules::PixelsPerUnit(s.dpi, s.unit, s.zoom)), s.step)
            << s.dpi << " unit " << static_cast<int>(s.unit) << " z" << s.zoom;
    // At the borders between the step rules (d = 4 / u is 10, 1, 0.1).
    const std::pair<double, int32_t> borders[] = {{0.4, 100}, {0.399, 200}, {4, 10}, {4.01, 10},
                                                  {40, 1},    {41, 1},      {0, 1}};
    for (const auto &[perUnit, step] : borders)
        EXPECT_EQ(CScaleRules::LabelStep(perUnit), step) << perUnit;

    // 254 dpi at zoom 3 is 10 screen pixels per mm: labels every 4 mm (40 px).
    auto ticks = CScaleRules::Ticks(254, ELengthUnit::Millimetre, 3, 0, 100, 16);
    ASSERT_EQ(ticks.size(), 26u);
    EXPECT_EQ(ticks[0].position, 0);
    EXPECT_TRUE(ticks[0].labelled && ticks[0].label == 0 && ticks[0].length == 16);
    EXPECT_TRUE(!ticks[1].labelled && ticks[1].position == 4 && ticks[1].length == 4);
    EXPECT_TRUE(ticks[5].position == 20 && ticks[5].length == 8);
    EXPECT_TRUE(ticks[20].labelled && ticks[20].label == 8 && ticks[20].position == 80);
    EXPECT_EQ(ticks[25].position, 100);

    ticks = CScaleRules::Ticks(254, ELengthUnit::Millimetre, 3, 25, 100, 16);
    ASSERT_EQ(ticks.size(), 25u);
    EXPECT_EQ(ticks[0].position, 3);
    EXPECT_TRUE(ticks[3].labelled && ticks[3].label == 4 && ticks[3].position == 15);
    EXPECT_EQ(ticks.back().position, 99);
    EXPECT_TRUE(CScaleRules::Ticks(0, ELengthUnit::Millimetre, 3, 0, 100, 16).empty());
}

TEST(LengthEditRules, TypingRoundingAndRangesInEveryUnit) {
    using U = ELengthUnit;
    struct Typed {
        const wchar_t *text;
        U unit;
        bool accepted;
    };
    const Typed typed[] = {
        {L"12.3", U::Millimetre, true},
        {L"12.34", U::Millimetre, false},
        {L"12.", U::Millimetre, true},
        {L".5", U::Millimetre, false},
        {L"1.2.3", U::Millimetre, false},
        {L"", U::Millimetre, true},
        {L"-1", U::Millimetre, false},
        {L"1e3", U::Millimetre, false},
        {L"\xff11", U::Millimetre, false},
        {L" 1", U::Millimetre, false},
        {L"1.234", U::Inch, true},
        {L"1.2345", U::Inch, false},
        {L"12.34", U::Point, false},
        {L"12.34", U::Q, false},
        {L"400.5", U::Q, true},
    };
    for (const Typed &t : typed)
        EXPECT_EQ(CLengthEditRules::Accepts(t.text, t.unit), t.accepted)
            << '"' << t.text << "\" unit " << static_cast<int>(t.unit);

    // text, unit, pixels at 200 dpi (none: -1)
    struct Parsed {
        const wchar_t *text;
        U unit;
        int32_t pixels;
    };
    const Parsed parsed[] = {
        {L"12.3", U::Millimetre, 97},  {L"1.235", U::Inch, 247}, {L"72", U::Point, 200},
        {L"100", U::Q, 197},           {L"007.5", U::Point, 21}, {L"", U::Millimetre, -1},
        {L"12.34", U::Millimetre, -1},
    };
    for (const Parsed &p : parsed) {
        const auto value = CLengthEditRules::Value(p.text, p.unit);
        ASSERT_EQ(value.has_value(), p.pixels >= 0) << '"' << p.text << '"';
        if (value) {
            EXPECT_EQ(CUnitConversion::UnitToPixels(*value, p.unit, 200), p.pixels)
                << '"' << p.text << '"';
        }
    }

    // A 2000 x 3000 image at 200 dpi.
    const SPreviewArea area{100, 200, 1000, 2900};
    struct Bound {
        EAreaEdge edge;
        U unit;
        double high;
    };
    const Bound bounds[] = {
        {EAreaEdge::Top, U::Millimetre, 12.7},
        {EAreaEdge::Left, U::Inch, 5.0},
        {EAreaEdge::Width, U::Point, 648.0},
        {EAreaEdge::Height, U::Q, 1473.2},
    };
    for (const Bound &b : bounds) {
        const SLengthBounds got =
            CLengthEditRules::AreaBounds(b.edge, area, 2000, 3000, 200, b.unit);
        EXPECT_EQ(got.low, 0);
        EXPECT_DOUBLE_EQ(got.high, b.high) << static_cast<int>(b.edge);
    }
    const SPreviewArea overhanging{3100, 0, 10, 10};
    EXPECT_EQ(
        CLengthEditRules::AreaBounds(EAreaEdge::Height, overhanging, 2000, 3000, 200, U::Millimetre)
            .high,
        0);

    // 97 pixels are 12.319 mm, shown as 12.3: that value is inside.
    const SLengthBounds shown = CLengthEditRules::AreaBounds(
        EAreaEdge::Top, SPreviewArea{0, 0, 0, 2903}, 2000, 3000, 200, U::Millimetre);
    EXPECT_FALSE(CLengthEditRules::OutsideBounds(12.3, shown).has_value());
    EXPECT_EQ(CLengthEditRules::OutsideBounds(12.4, shown), 12.3);
    EXPECT_EQ(CLengthEditRules::OutsideBounds(-1, shown), 0.0);
    EXPECT_EQ(
        CLengthEditRules::RangeMessage(L"%s から %s の数値を設定してください。", {0, 5}, U::Inch),
        L"0.000 から 5.000 の数値を設定してください。");
    EXPECT_EQ(CLengthEditRules::RangeMessage(L"%s..%s", {0, 1473.2}, U::Q), L"0.0..1473.2");
}

}  // namespace
