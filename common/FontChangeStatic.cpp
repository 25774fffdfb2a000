#include "FontChangeStatic.h"

#include <string>

CFontChangeStatic::CFontChangeStatic() : m_logFont{} {}

CFontChangeStatic::~CFontChangeStatic() {
    Detach();
}

void CFontChangeStatic::Detach() {
    if (m_hwnd && m_font && ::IsWindow(m_hwnd))
        ::SendMessageW(m_hwnd, WM_SETFONT, 0, FALSE);
    m_hwnd = nullptr;
}

void CFontChangeStatic::Attach(HWND control) {
    Detach();
    m_hwnd = control;
    m_logFont = LOGFONTW{};
    HGDIOBJ current =
        control ? reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)) : nullptr;
    if (!current)
        current = ::GetStockObject(DEFAULT_GUI_FONT);
    ::GetObjectW(current, sizeof(m_logFont), &m_logFont);
}

void CFontChangeStatic::SetSize(int points) {
    // Points are a length on paper; the height is in the parent's pixels.
    HWND parent = m_hwnd ? ::GetParent(m_hwnd) : nullptr;
    CWindowDc dc(parent);
    const int dpi = dc ? ::GetDeviceCaps(dc.Get(), LOGPIXELSY) : 96;
    m_logFont.lfHeight = -::MulDiv(points, dpi, 72);
    m_logFont.lfWidth = 0;
}

void CFontChangeStatic::SetFaceName(const wchar_t *face) {
    lstrcpynW(m_logFont.lfFaceName, face ? face : L"", LF_FACESIZE);
}

void CFontChangeStatic::SetCharSet(BYTE charSet) {
    m_logFont.lfCharSet = charSet;
}

bool CFontChangeStatic::ApplyFont() {
    CGdiObject font(::CreateFontIndirectW(&m_logFont));
    if (!font)
        return false;
    if (m_hwnd)
        ::SendMessageW(m_hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
    m_font = std::move(font);
    return true;
}

void CFontChangeStatic::SetText(const wchar_t *text) {
    if (m_hwnd)
        ::SetWindowTextW(m_hwnd, text ? text : L"");
}

void CFontChangeStatic::Fit() {
    if (!m_hwnd)
        return;
    const int length = ::GetWindowTextLengthW(m_hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(m_hwnd, text.data(), length + 1)));

    CWindowDc dc(m_hwnd);
    if (!dc)
        return;
    HGDIOBJ font =
        m_font ? m_font.Get() : reinterpret_cast<HGDIOBJ>(::SendMessageW(m_hwnd, WM_GETFONT, 0, 0));
    CSelectedObject selected(dc.Get(), font ? font : ::GetStockObject(SYSTEM_FONT));
    RECT measured{0, 0, 0, 0};
    ::DrawTextW(dc.Get(), text.c_str(), static_cast<int>(text.size()), &measured,
                kDrawFlags | DT_CALCRECT);
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, measured.right - measured.left,
                   measured.bottom - measured.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CFontChangeStatic::OnCtlColorStatic(HDC dc, HWND control) const {
    if (!m_hwnd || control != m_hwnd)
        return 0;
    ::SetTextColor(dc, m_colour);
    ::SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(::GetStockObject(NULL_BRUSH));
}
