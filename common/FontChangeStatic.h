// A static text of a dialog with a font and colour of its own, sized to its
// text. It draws over a picture: the dialog hands its WM_CTLCOLORSTATIC
// here, which answers with the colour and no background at all, and the
// control needs WS_EX_TRANSPARENT so that the picture below it is painted
// first.
#pragma once

#include <windows.h>

#include "WinHandles.h"

class CFontChangeStatic {
public:
    CFontChangeStatic();
    // The font goes only after the control has let go of it.
    ~CFontChangeStatic();
    CFontChangeStatic(const CFontChangeStatic &) = delete;
    CFontChangeStatic &operator=(const CFontChangeStatic &) = delete;

    // Binds to a static control, whose current font the settings start from.
    void Attach(HWND control);
    HWND Hwnd() const { return m_hwnd; }

    // Takes effect with the next ApplyFont.
    void SetSize(int points);
    void SetFaceName(const wchar_t *face);
    void SetCharSet(BYTE charSet);
    const LOGFONTW &Font() const { return m_logFont; }
    // Replaces the control's font with one made from the settings; the old
    // font is deleted. False, with the old font kept, when none can be made.
    bool ApplyFont();

    void SetColour(COLORREF colour) { m_colour = colour; }
    void SetText(const wchar_t *text);
    // Resizes the control to its text as drawn in its font; the top-left
    // corner stays where it is.
    void Fit();
    // The flags the control draws its text with (SS_LEFTNOWORDWRAP |
    // SS_NOPREFIX), for measuring it the same way.
    static constexpr UINT kDrawFlags = DT_LEFT | DT_EXPANDTABS | DT_NOPREFIX;

    // The dialog's WM_CTLCOLORSTATIC: the brush to answer with, or 0 when
    // `control` is another one.
    INT_PTR OnCtlColorStatic(HDC dc, HWND control) const;

private:
    void Detach();

    HWND m_hwnd = nullptr;
    LOGFONTW m_logFont;
    CGdiObject m_font;
    COLORREF m_colour = RGB(0, 0, 0);
};
