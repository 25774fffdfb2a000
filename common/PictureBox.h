// The design both programs' version boxes share: a PNG fills the client
// area, the box is sized to it, and over it the module's file version and
// copyright stand in Arial at fixed places, with OK in a corner. A box
// decides only where it goes on the screen and the colour of its texts.
#pragma once

#include <windows.h>

#include <string>

#include "DialogBase.h"
#include "FontChangeStatic.h"
#include "GdiplusSession.h"
#include "PngStatic.h"

// Control and resource ids of one box's template.
struct SPictureBoxIds {
    int dialog;
    int picture;
    int png;
    int versionText;
    int copyrightText;
};

class CPictureBox : public CDialogBase {
public:
    // `module` holds the template and the picture, and its version
    // resource is the one shown.
    CPictureBox(HINSTANCE module, const SPictureBoxIds &ids, COLORREF textColour);
    ~CPictureBox() override;

    // Modal until the user closes it; IDOK or IDCANCEL, -1 when it could
    // not be shown.
    INT_PTR Run(HWND parent);

protected:
    HINSTANCE Module() const { return m_module; }
    HWND Parent() const { return m_parent; }
    void FitToPicture();
    void ShowVersion();
    // OK's right and bottom edges this far inside the client area.
    void PlaceOkButton(int rightMargin, int bottomMargin);

    static int Width(const RECT &r) { return r.right - r.left; }
    static int Height(const RECT &r) { return r.bottom - r.top; }

private:
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void ShowText(CFontChangeStatic &text, int id, const std::wstring &value, POINT at, int points);

    // Declared first: GDI+ must outlive the picture's image.
    CGdiplusSession m_gdiplus;
    HINSTANCE m_module;
    SPictureBoxIds m_ids;
    COLORREF m_textColour;
    HWND m_parent = nullptr;
    CPngStatic m_picture;
    CFontChangeStatic m_versionText;
    CFontChangeStatic m_copyrightText;
};
