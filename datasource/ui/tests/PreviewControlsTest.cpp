// The area edit and the rulers in real windows on a virtual screen: what
// typing keeps and hands on, what leaving an edit off the image does, and
// the rulers' ticks and labels read back from the screen's pixels.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "LengthEdit.h"
#include "MessageBox.h"
#include "Scale.h"
#include "WindowShot.h"
#include "res/settings_ids.h"

namespace {

void Pump() {
    MSG msg;
    for (int round = 0; round < 20; ++round) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
}

class CStrings : public IStringSource {
public:
    std::wstring Load(unsigned id) const override {
        return id == IDS_MSG_RANGE ? L"%s から %s の数値を設定してください。" : L"";
    }
};

// The main dialog's part: it keeps the area on the image as typing changes it.
class COwner : public IAreaEditOwner {
public:
    ELengthUnit unit = ELengthUnit::Millimetre;
    SPreviewArea area{0, 0, 1000, 2900};
    std::vector<std::pair<EAreaEdge, int32_t>> edited;

    ELengthUnit DisplayUnit() const override { return unit; }
    int32_t AreaResolution() const override { return 200; }
    SPreviewArea Area() const override { return area; }
    int32_t ImageWidth() const override { return 2000; }
    int32_t ImageHeight() const override { return 3000; }
    const IStringSource &Strings() const override { return m_strings; }
    void AreaEdited(EAreaEdge edge, int32_t pixels) override {
        edited.emplace_back(edge, pixels);
        area = CPreviewRules::ApplyEdit(area, edge, pixels, ImageWidth(), ImageHeight());
    }

private:
    CStrings m_strings;
};

CLengthEdit *g_edit = nullptr;

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND && g_edit && reinterpret_cast<HWND>(lParam) == g_edit->Hwnd()) {
        if (HIWORD(wParam) == EN_CHANGE)
            g_edit->OnChange();
        else if (HIWORD(wParam) == EN_KILLFOCUS)
            g_edit->OnKillFocus();
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class PreviewControls : public testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW wc{};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = L"PreviewControlsHost";
        RegisterClassW(&wc);
        m_host = CreateWindowW(L"PreviewControlsHost", L"preview", WS_POPUP | WS_VISIBLE, 10, 10,
                               320, 200, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_TRUE(m_host);
        SetForegroundWindow(m_host);
    }
    void TearDown() override {
        g_edit = nullptr;
        SetDsMessageBoxAnswerer({});
        DestroyWindow(m_host);
    }
    HWND Child(const wchar_t *cls, DWORD style, int x, int y, int w, int h) {
        return CreateWindowW(cls, L"", WS_CHILD | WS_VISIBLE | style, x, y, w, h, m_host, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    }
    HWND m_host = nullptr;
};

void Type(HWND edit, const wchar_t *keys) {
    for (const wchar_t *k = keys; *k; ++k)
        SendMessageW(edit, WM_CHAR, *k, 0);
}

std::wstring Text(HWND edit) {
    wchar_t buffer[64] = {};
    GetWindowTextW(edit, buffer, 64);
    return buffer;
}

TEST_F(PreviewControls, AreaEditKeepsWhatItsUnitTakesAndBoundsItOnLeaving) {
    COwner owner;
    CLengthEdit edit(EAreaEdge::Top);
    HWND box = Child(L"EDIT", WS_BORDER | ES_AUTOHSCROLL, 10, 10, 100, 24);
    HWND other = Child(L"EDIT", WS_BORDER, 10, 40, 100, 24);
    edit.Attach(box, owner);
    g_edit = &edit;
    std::vector<std::wstring> messages;
    SetDsMessageBoxAnswerer([&](const std::wstring &text, UINT flags) {
        EXPECT_EQ(flags, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL));
        messages.push_back(text);
        return IDOK;
    });

    edit.Show();
    EXPECT_EQ(Text(box), L"0.0");
    EXPECT_TRUE(owner.edited.empty()) << "showing is not typing";

    SetFocus(box);
    ASSERT_EQ(GetFocus(), box);
    SetWindowTextW(box, L"");
    Type(box, L"12.34");
    EXPECT_EQ(Text(box), L"12.3");
    ASSERT_FALSE(owner.edited.empty());
    EXPECT_EQ(owner.edited.back(), std::make_pair(EAreaEdge::Top, 97));
    SetFocus(other);
    EXPECT_TRUE(messages.empty()) << "12.3 mm is inside 0..12.7";

    // 99 mm is past the image: the area stops at the image and, on leaving,
    // the edit shows the bound and says so.
    SetFocus(box);
    SendMessageW(box, EM_SETSEL, 0, -1);
    Type(box, L"99");
    EXPECT_EQ(owner.area.top, 100);
    owner.edited.clear();
    SetFocus(other);
    EXPECT_EQ(Text(box), L"12.7");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], L"0.0 から 12.7 の数値を設定してください。");
    EXPECT_EQ(owner.edited, (std::vector<std::pair<EAreaEdge, int32_t>>{{EAreaEdge::Top, 100}}));

    // Inch takes three digits after the point.
    owner.unit = ELengthUnit::Inch;
    SetFocus(box);
    SendMessageW(box, EM_SETSEL, 0, -1);
    Type(box, L"0.2345");
    EXPECT_EQ(Text(box), L"0.234");
    EXPECT_EQ(owner.edited.back(), std::make_pair(EAreaEdge::Top, 47));
}

COLORREF ScreenPixel(HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return c;
}

// Rows (from the top) of a horizontal ruler's column that are black.
std::vector<int> BlackRows(HWND ruler, int x, int height) {
    std::vector<int> rows;
    for (int y = 0; y < height; ++y)
        if (ScreenPixel(ruler, x, y) == RGB(0, 0, 0))
            rows.push_back(y);
    return rows;
}

std::vector<int> Span(int from, int to) {
    std::vector<int> rows;
    for (int y = from; y <= to; ++y)
        rows.push_back(y);
    return rows;
}

// The frame's first row or column in front.
std::vector<int> Framed(std::vector<int> rows) {
    rows.insert(rows.begin(), 0);
    return rows;
}

TEST_F(PreviewControls, RulersDrawTicksAndLabelsWhereTheImageIs) {
    HWND horizontal = Child(L"STATIC", 0, 30, 10, 240, 24);
    HWND vertical = Child(L"STATIC", 0, 6, 34, 24, 150);
    CScale top, left;
    top.Attach(horizontal, CScale::EOrientation::Horizontal, 12);
    left.Attach(vertical, CScale::EOrientation::Vertical, 12);
    // 254 dpi at zoom 3: 10 screen pixels a millimetre, labels every 4 mm.
    SScaleView view{254, ELengthUnit::Millimetre, 3, 0};
    top.SetView(view);
    view.origin = 25;
    left.SetView(view);
    UpdateWindow(m_host);
    Pump();
    CWindowShot::Of(m_host).Keep("preview-rulers");

    // Labelled tick: full height inside the frame; the fifth minor tick
    // half of it, the others a quarter; the bottom row is the frame.
    EXPECT_EQ(BlackRows(horizontal, 40, 24), Span(0, 23));
    EXPECT_EQ(BlackRows(horizontal, 20, 24), Framed(Span(12, 23)));
    EXPECT_EQ(BlackRows(horizontal, 56, 24), Framed(Span(18, 23)));
    EXPECT_EQ(BlackRows(horizontal, 58, 24), (std::vector<int>{0, 23}));
    int label = 0;  // "4" right of its tick
    for (int x = 41; x < 50; ++x)
        for (int y = 1; y < 12; ++y) {
            // Thin type is drawn smoothed: dark, not always black.
            const COLORREF c = ScreenPixel(horizontal, x, y);
            label += GetRValue(c) + GetGValue(c) + GetBValue(c) < 384;
        }
    EXPECT_GT(label, 4);

    // Scrolled by 25 pixels: the tick of 0.7 mm at 3, the label 4 at 15.
    auto blackColumns = [&](int y) {
        std::vector<int> columns;
        for (int x = 0; x < 24; ++x)
            if (ScreenPixel(vertical, x, y) == RGB(0, 0, 0))
                columns.push_back(x);
        return columns;
    };
    EXPECT_EQ(blackColumns(3), Framed(Span(18, 23)));
    EXPECT_EQ(blackColumns(15), Span(0, 23));
    EXPECT_EQ(blackColumns(5), (std::vector<int>{0, 23}));
}

}  // namespace
