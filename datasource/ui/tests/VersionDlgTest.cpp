// The version box end to end on a virtual screen: run modally over a parent
// window, looked at from a timer inside its modal loop (texts, fonts,
// geometry, and the screen's pixels against the committed picture), then
// closed the ways a user closes it.
//
// CORV_VERSION_BOX_HOLD_MS keeps each box open that much longer before it
// is looked at, for a screenshot of the virtual screen taken by hand.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "GdiplusSession.h"
#include "VersionDlg.h"
#include "WinHandles.h"
#include "res/version_dialog_ids.h"

namespace {

const wchar_t kCaption[] = L"Scan Twain Driverのバージョン情報";
const wchar_t kVersionText[] = L"Version 3, 0, 0, 1";
const wchar_t kCopyright[] = L"Copyright (C) 2002-2026 Tessaly";
constexpr UINT kTextFlags = DT_LEFT | DT_EXPANDTABS | DT_NOPREFIX;
constexpr UINT kTickMs = 100;
constexpr int kSettleTicks = 4;
constexpr UINT kWatchdogMs = 15000;

enum class Close { OkButton, EscapeKey, CloseBox };
enum class Place { Centred, BottomRightOfWorkArea };

struct BoxCase {
    const char *name;
    bool programModule;  // else the module without a version resource
    RECT parent;         // the parent's window, in screen pixels
    Place place;
    Close close;
    INT_PTR result;
};

// 0x00RRGGBB, top row first.
struct CPixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> rgb;
    uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};

CPixels DecodePicture() {
    CPixels out;
    Gdiplus::Bitmap bitmap(CORV_VERSION_PNG_FILE);
    if (bitmap.GetLastStatus() != Gdiplus::Ok)
        return out;
    Gdiplus::Rect all(0, 0, static_cast<INT>(bitmap.GetWidth()),
                      static_cast<INT>(bitmap.GetHeight()));
    Gdiplus::BitmapData data{};
    if (bitmap.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) !=
        Gdiplus::Ok)
        return out;
    out.width = all.Width;
    out.height = all.Height;
    for (int y = 0; y < out.height; ++y) {
        const auto *row = reinterpret_cast<const uint32_t *>(static_cast<const BYTE *>(data.Scan0) +
                                                             y * data.Stride);
        for (int x = 0; x < out.width; ++x)
            out.rgb.push_back(row[x] & 0xFFFFFF);
    }
    bitmap.UnlockBits(&data);
    return out;
}

// What the screen shows of a window's client area.
CPixels CaptureClient(HWND hwnd) {
    CPixels out;
    RECT client{};
    ::GetClientRect(hwnd, &client);
    POINT origin{0, 0};
    ::ClientToScreen(hwnd, &origin);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    CWindowDc screen(nullptr);
    CMemoryDc memory(::CreateCompatibleDC(screen.Get()));
    void *bits = nullptr;
    CGdiObject dib(::CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !dib || !bits)
        return out;
    {
        CSelectedObject selected(memory.Get(), dib.Get());
        ::BitBlt(memory.Get(), 0, 0, client.right, client.bottom, screen.Get(), origin.x, origin.y,
                 SRCCOPY);
        ::GdiFlush();
    }
    out.width = client.right;
    out.height = client.bottom;
    const auto *p = static_cast<const uint32_t *>(bits);
    for (int i = 0; i < out.width * out.height; ++i)
        out.rgb.push_back(p[i] & 0xFFFFFF);
    return out;
}

bool Near(uint32_t a, uint32_t b, int tolerance = 2) {
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (d > tolerance || d < -tolerance)
            return false;
    }
    return true;
}

bool IsWhite(uint32_t c) {
    return (c & 0xFF) >= 0xE0 && ((c >> 8) & 0xFF) >= 0xE0 && ((c >> 16) & 0xFF) >= 0xE0;
}

RECT ClientRectOf(HWND control, HWND dialog) {
    RECT r{};
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&r), 2);
    return r;
}

std::wstring TextOf(HWND control) {
    wchar_t text[256] = {};
    ::GetWindowTextW(control, text, 256);
    return text;
}

RECT WorkArea() {
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

// A text control: where it sits, its words, its font, and a size that is
// the text's own as drawn in that font.
void CheckText(HWND box, int id, const std::wstring &expected, POINT at, int points) {
    const HWND control = ::GetDlgItem(box, id);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(TextOf(control), expected);
    const RECT r = ClientRectOf(control, box);
    EXPECT_EQ(r.left, at.x);
    EXPECT_EQ(r.top, at.y);

    const auto font = reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTW lf{};
    ASSERT_NE(::GetObjectW(font, sizeof(lf), &lf), 0);
    EXPECT_STREQ(lf.lfFaceName, L"Arial");
    EXPECT_EQ(lf.lfCharSet, 0);
    CWindowDc dc(control);
    EXPECT_EQ(lf.lfHeight, -::MulDiv(points, ::GetDeviceCaps(dc.Get(), LOGPIXELSY), 72));

    CSelectedObject selected(dc.Get(), font);
    RECT measured{0, 0, 0, 0};
    ::DrawTextW(dc.Get(), expected.c_str(), static_cast<int>(expected.size()), &measured,
                kTextFlags | DT_CALCRECT);
    EXPECT_EQ(r.right - r.left, measured.right);
    EXPECT_EQ(r.bottom - r.top, measured.bottom);
}

// White letters on the picture itself: some pixels of the text's box are
// white, and most of the rest is the picture showing through.
void CheckTextPixels(const CPixels &screen, const CPixels &picture, const RECT &r) {
    int white = 0;
    int picturePixels = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            white += IsWhite(screen.At(x, y));
            picturePixels += Near(screen.At(x, y), picture.At(x, y));
        }
    const int area = (r.right - r.left) * (r.bottom - r.top);
    EXPECT_GT(white, area / 50) << "area " << area;
    EXPECT_GT(picturePixels, area / 2) << "area " << area;
}

struct CRun {
    const BoxCase *c = nullptr;
    CVersionDlg *dialog = nullptr;
    HWND parent = nullptr;
    const CPixels *picture = nullptr;
    int ticksLeft = 0;
    bool looked = false;
};
CRun *g_run = nullptr;

void LookAtOpenBox(const CRun &run) {
    const BoxCase &c = *run.c;
    const HWND box = run.dialog->Hwnd();
    const CPixels &picture = *run.picture;
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(TextOf(box), kCaption);
    EXPECT_FALSE(::IsWindowEnabled(run.parent)) << "a modal box disables its parent";

    // The client area is the picture, and the picture control covers it.
    RECT client{};
    ::GetClientRect(box, &client);
    EXPECT_EQ(client.right, picture.width);
    EXPECT_EQ(client.bottom, picture.height);
    const RECT shown = ClientRectOf(::GetDlgItem(box, IDC_VERSION_PICTURE), box);
    EXPECT_TRUE(::EqualRect(&shown, &client));

    // Over the parent's client area, inside the work area.
    RECT window{};
    ::GetWindowRect(box, &window);
    const RECT work = WorkArea();
    EXPECT_GE(window.left, work.left);
    EXPECT_GE(window.top, work.top);
    EXPECT_LE(window.right, work.right);
    EXPECT_LE(window.bottom, work.bottom);
    if (c.place == Place::Centred) {
        RECT over{};
        ::GetClientRect(run.parent, &over);
        ::MapWindowPoints(run.parent, nullptr, reinterpret_cast<POINT *>(&over), 2);
        EXPECT_NEAR(window.left + window.right, over.left + over.right, 2);
        EXPECT_NEAR(window.top + window.bottom, over.top + over.bottom, 2);
    } else {
        EXPECT_EQ(window.right, work.right);
        EXPECT_EQ(window.bottom, work.bottom);
    }

    CheckText(box, IDC_VERSION_TEXT, c.programModule ? kVersionText : L"", POINT{27, 297}, 14);
    CheckText(box, IDC_VERSION_COPYRIGHT, c.programModule ? kCopyright : L"", POINT{27, 423}, 12);

    const HWND ok = ::GetDlgItem(box, IDOK);
    const RECT okRect = ClientRectOf(ok, box);
    EXPECT_EQ(okRect.bottom, client.bottom - 15);
    EXPECT_GE(okRect.left, 0);
    EXPECT_LE(okRect.right, client.right);
    EXPECT_TRUE(::IsWindowVisible(ok));

    // The screen: the picture wherever no control lies on it, the texts
    // on it, and the button above it.
    const CPixels screen = CaptureClient(box);
    ASSERT_EQ(screen.width, picture.width);
    ASSERT_EQ(screen.height, picture.height);
    const RECT version = ClientRectOf(::GetDlgItem(box, IDC_VERSION_TEXT), box);
    const RECT copyright = ClientRectOf(::GetDlgItem(box, IDC_VERSION_COPYRIGHT), box);
    int sampled = 0;
    int differing = 0;
    for (int y = 0; y < screen.height; y += 5)
        for (int x = 0; x < screen.width; x += 5) {
            const POINT p{x, y};
            if (::PtInRect(&okRect, p) || ::PtInRect(&version, p) || ::PtInRect(&copyright, p))
                continue;
            ++sampled;
            differing += !Near(screen.At(x, y), picture.At(x, y));
        }
    EXPECT_GT(sampled, 8000);
    EXPECT_EQ(differing, 0);
    if (c.programModule) {
        CheckTextPixels(screen, picture, version);
        CheckTextPixels(screen, picture, copyright);
    }
    const POINT face{okRect.left + 4, okRect.top + 4};
    EXPECT_FALSE(Near(screen.At(face.x, face.y), picture.At(face.x, face.y), 24))
        << "the button is drawn over the picture";
}

void CALLBACK OnTick(HWND, UINT, UINT_PTR id, DWORD) {
    CRun &run = *g_run;
    const HWND box = run.dialog->Hwnd();
    if (!box || --run.ticksLeft > 0)
        return;
    ::KillTimer(nullptr, id);
    LookAtOpenBox(run);
    run.looked = true;
    switch (run.c->close) {
        case Close::OkButton:
            ::SendMessageW(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
            break;
        case Close::EscapeKey:
            ::PostMessageW(::GetDlgItem(box, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
            break;
        case Close::CloseBox:
            ::PostMessageW(box, WM_CLOSE, 0, 0);
            break;
    }
}

// Ends a box that did not close the way it was asked to, so that the test
// fails on its result instead of hanging.
void CALLBACK OnWatchdog(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    if (g_run && g_run->dialog->Hwnd())
        ::EndDialog(g_run->dialog->Hwnd(), -2);
}

int HoldTicks() {
    const char *hold = std::getenv("CORV_VERSION_BOX_HOLD_MS");
    return hold ? std::atoi(hold) / static_cast<int>(kTickMs) : 0;
}

HWND CreateParent(const RECT &r) {
    static const wchar_t kClass[] = L"CorvVersionBoxParent";
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = kClass;
        registered = ::RegisterClassW(&wc) != 0;
    }
    return ::CreateWindowExW(0, kClass, L"parent", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, r.left,
                             r.top, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                             ::GetModuleHandleW(nullptr), nullptr);
}

TEST(VersionBox, ShowsTheModulesVersionOnThePictureAndCloses) {
    CGdiplusSession gdiplus;
    ASSERT_TRUE(gdiplus.IsRunning());
    const CPixels picture = DecodePicture();
    ASSERT_GT(picture.width, 0) << "the committed picture decodes";
    const HMODULE plain = ::LoadLibraryW(L"version_box_plain.dll");
    ASSERT_NE(plain, nullptr);

    const BoxCase cases[] = {
        {"program module, OK button", true, RECT{200, 60, 1000, 760}, Place::Centred,
         Close::OkButton, IDOK},
        {"near the corner of the screen, Escape", true, RECT{900, 700, 1250, 1000},
         Place::BottomRightOfWorkArea, Close::EscapeKey, IDCANCEL},
        {"module without a version resource, close box", false, RECT{100, 100, 900, 800},
         Place::Centred, Close::CloseBox, IDCANCEL},
    };
    for (const BoxCase &c : cases) {
        SCOPED_TRACE(c.name);
        CAutoWindow parent(CreateParent(c.parent));
        ASSERT_TRUE(parent);
        CVersionDlg dialog(c.programModule ? ::GetModuleHandleW(nullptr) : plain);
        CRun run;
        run.c = &c;
        run.dialog = &dialog;
        run.parent = parent.Get();
        run.picture = &picture;
        run.ticksLeft = kSettleTicks + HoldTicks();
        g_run = &run;
        ::SetTimer(nullptr, 0, kTickMs, OnTick);
        const UINT_PTR watchdog =
            ::SetTimer(nullptr, 0, kWatchdogMs + kTickMs * HoldTicks(), OnWatchdog);

        EXPECT_EQ(dialog.Run(parent.Get()), c.result);

        ::KillTimer(nullptr, watchdog);
        g_run = nullptr;
        EXPECT_TRUE(run.looked);
        EXPECT_FALSE(dialog.IsOpen());
        EXPECT_TRUE(::IsWindowEnabled(parent.Get()));
    }
    ::FreeLibrary(plain);
}

}  // namespace
