#include "Scale.h"

#include <commctrl.h>

#include <string>

CScale::~CScale() {
    if (m_control)
        RemoveWindowSubclass(m_control, Proc, 0);
}

void CScale::Attach(HWND control, EOrientation orientation, int labelHeight) {
    m_control = control;
    m_orientation = orientation;
    MakeFont(labelHeight);
    SetWindowSubclass(control, Proc, 0, reinterpret_cast<DWORD_PTR>(this));
    InvalidateRect(control, nullptr, TRUE);
}

void CScale::MakeFont(int labelHeight) {
    LOGFONTW font{};
    // The dialog's face, so that the labels match the rest of it.
    if (HGDIOBJ dialogFont = reinterpret_cast<HGDIOBJ>(SendMessageW(m_control, WM_GETFONT, 0, 0)))
        GetObjectW(dialogFont, sizeof font, &font);
    font.lfHeight = labelHeight;
    font.lfWidth = 0;
    font.lfWeight = FW_THIN;
    m_font = CGdiObject(CreateFontIndirectW(&font));
}

void CScale::SetView(const SScaleView &view) {
    if (view.dpi == m_view.dpi && view.unit == m_view.unit && view.zoom == m_view.zoom &&
        view.origin == m_view.origin)
        return;
    m_view = view;
    if (m_control)
        InvalidateRect(m_control, nullptr, FALSE);
}

void CScale::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_control, &ps);
    RECT client{};
    GetClientRect(m_control, &client);
    // Drawn off screen first: the ruler is redrawn on every scroll step.
    CMemoryDc memory(CreateCompatibleDC(dc));
    CGdiObject bitmap(CreateCompatibleBitmap(dc, client.right, client.bottom));
    if (memory && bitmap) {
        CSelectedObject selected(memory.Get(), bitmap.Get());
        Draw(memory.Get(), client);
        BitBlt(dc, 0, 0, client.right, client.bottom, memory.Get(), 0, 0, SRCCOPY);
    } else {
        Draw(dc, client);
    }
    EndPaint(m_control, &ps);
}

void CScale::Draw(HDC dc, const RECT &client) const {
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    CSelectedObject pen(dc, GetStockObject(BLACK_PEN));
    CSelectedObject brush(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, client.left, client.top, client.right, client.bottom);

    const bool horizontal = m_orientation == EOrientation::Horizontal;
    const int length = horizontal ? client.right : client.bottom;
    const int thickness = horizontal ? client.bottom : client.right;
    CSelectedObject font(dc, m_font ? m_font.Get() : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    for (const SScaleTick &tick : CScaleRules::Ticks(m_view.dpi, m_view.unit, m_view.zoom,
                                                     m_view.origin, length, thickness)) {
        // Ticks stand on the edge next to the preview; LineTo leaves out
        // its end point, so the line runs from the last row or column.
        const int from = thickness - 1;
        if (horizontal) {
            MoveToEx(dc, tick.position, from, nullptr);
            LineTo(dc, tick.position, from - tick.length);
        } else {
            MoveToEx(dc, from, tick.position, nullptr);
            LineTo(dc, from - tick.length, tick.position);
        }
        if (!tick.labelled)
            continue;
        const std::wstring label = std::to_wstring(tick.label);
        const int x = horizontal ? tick.position + 2 : 2;
        const int y = horizontal ? 1 : tick.position + 1;
        TextOutW(dc, x, y, label.c_str(), static_cast<int>(label.size()));
    }
}

LRESULT CALLBACK CScale::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR self) {
    auto *scale = reinterpret_cast<CScale *>(self);
    switch (msg) {
        case WM_PAINT:
            scale->Paint();
            return 0;
        case WM_ERASEBKGND:
            // Paint covers the whole control.
            return 1;
        case WM_SIZE:
            InvalidateRect(hwnd, nullptr, FALSE);
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, Proc, 0);
            scale->m_control = nullptr;
            break;
        default:
            break;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}
