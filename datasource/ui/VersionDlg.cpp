#include "VersionDlg.h"

#include <algorithm>

#include "VELT_ModuleVersion.h"
#include "res/version_dialog_ids.h"

namespace {
// Where the texts sit on the picture, in pixels of the client area: the
// artwork leaves these bands dark for them.
constexpr POINT kVersionAt{27, 297};
constexpr POINT kCopyrightAt{27, 423};
constexpr int kVersionPoints = 14;
constexpr int kCopyrightPoints = 12;
constexpr COLORREF kTextColour = RGB(255, 255, 255);
constexpr int kOkBottomMargin = 15;
// The button keeps to the right, as far in as the texts are from the left:
// centred, it would cover the end of a copyright line.
constexpr int kOkRightMargin = 27;

int Width(const RECT &r) {
    return r.right - r.left;
}
int Height(const RECT &r) {
    return r.bottom - r.top;
}
}  // namespace

CVersionDlg::CVersionDlg(HINSTANCE module) : m_module(module) {}

CVersionDlg::~CVersionDlg() {
    // The controls let go of the fonts and the picture while they exist.
    DestroyDialog();
}

INT_PTR CVersionDlg::Run(HWND parent) {
    m_parent = parent;
    return RunModal(m_module, IDD_VERSION, parent);
}

BOOL CVersionDlg::OnInitDialog() {
    FitToPicture();
    PlaceOverParent();
    ShowVersion();
    PlaceOkButton();
    return TRUE;
}

INT_PTR CVersionDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_DRAWITEM:
            return m_picture.OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT *>(lParam)) ? TRUE
                                                                                           : FALSE;
        case WM_CTLCOLORSTATIC: {
            const HDC dc = reinterpret_cast<HDC>(wParam);
            const HWND control = reinterpret_cast<HWND>(lParam);
            if (const INT_PTR brush = m_versionText.OnCtlColorStatic(dc, control))
                return brush;
            return m_copyrightText.OnCtlColorStatic(dc, control);
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndModal(LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            EndModal(IDCANCEL);
            return TRUE;
        default:
            return FALSE;
    }
}

// The picture decides the size of the box: the client area becomes the
// image, whatever the template's dialog units come to with the font at hand.
void CVersionDlg::FitToPicture() {
    const HWND picture = ::GetDlgItem(Hwnd(), IDC_VERSION_PICTURE);
    m_picture.Attach(picture);
    RECT client{};
    if (m_picture.Load(m_module, IDR_VERSION_PNG)) {
        m_picture.SizeToImage();
        const SIZE image = m_picture.ImageSize();
        RECT window{};
        ::GetWindowRect(Hwnd(), &window);
        ::GetClientRect(Hwnd(), &client);
        ::SetWindowPos(Hwnd(), nullptr, 0, 0, Width(window) + image.cx - client.right,
                       Height(window) + image.cy - client.bottom,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ::GetClientRect(Hwnd(), &client);
    ::SetWindowPos(picture, nullptr, 0, 0, client.right, client.bottom,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

// Centred over the parent's client area (the main dialog's, where the user
// was working), but never off the work area of the screen it is on.
void CVersionDlg::PlaceOverParent() {
    RECT box{};
    ::GetWindowRect(Hwnd(), &box);
    RECT over{};
    if (m_parent && ::IsWindow(m_parent)) {
        ::GetClientRect(m_parent, &over);
        ::MapWindowPoints(m_parent, nullptr, reinterpret_cast<POINT *>(&over), 2);
    } else {
        ::GetWindowRect(Hwnd(), &over);
    }
    RECT work{};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (::GetMonitorInfoW(::MonitorFromRect(&over, MONITOR_DEFAULTTONEAREST), &monitor))
        work = monitor.rcWork;
    else
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    if (!m_parent)
        over = work;

    int x = over.left + (Width(over) - Width(box)) / 2;
    int y = over.top + (Height(over) - Height(box)) / 2;
    // Left and top win when the box is larger than the work area: its
    // caption and the start of its texts stay reachable.
    x = std::max(static_cast<int>(work.left),
                 std::min(x, static_cast<int>(work.right) - Width(box)));
    y = std::max(static_cast<int>(work.top),
                 std::min(y, static_cast<int>(work.bottom) - Height(box)));
    ::SetWindowPos(Hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CVersionDlg::ShowVersion() {
    // A module without a version resource shows no texts rather than a
    // bare "Version ".
    std::wstring version;
    std::wstring copyright;
    CVELT_ModuleVersion info;
    if (info.LoadModule(m_module)) {
        if (const auto fileVersion = info.String(L"FileVersion"))
            version = L"Version " + *fileVersion;
        copyright = info.String(L"LegalCopyright").value_or(std::wstring());
    }
    ShowText(m_versionText, IDC_VERSION_TEXT, version, kVersionAt, kVersionPoints);
    ShowText(m_copyrightText, IDC_VERSION_COPYRIGHT, copyright, kCopyrightAt, kCopyrightPoints);
}

void CVersionDlg::ShowText(CFontChangeStatic &text, int id, const std::wstring &value, POINT at,
                           int points) {
    text.Attach(::GetDlgItem(Hwnd(), id));
    text.SetFaceName(L"Arial");
    text.SetSize(points);
    text.SetCharSet(ANSI_CHARSET);
    text.ApplyFont();
    text.SetColour(kTextColour);
    text.SetText(value.c_str());
    ::SetWindowPos(text.Hwnd(), nullptr, at.x, at.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    text.Fit();
}

void CVersionDlg::PlaceOkButton() {
    const HWND ok = ::GetDlgItem(Hwnd(), IDOK);
    RECT button{};
    ::GetWindowRect(ok, &button);
    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    ::SetWindowPos(ok, nullptr, client.right - kOkRightMargin - Width(button),
                   client.bottom - kOkBottomMargin - Height(button), 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
