// "Scan Twain Driverのバージョン情報": the modal box the main dialog's
// version button opens. The product picture fills it; on the picture, the
// file version and copyright of the source module, read from its version
// resource, so that the box always tells what is installed.
#pragma once

#include <windows.h>

#include <string>

#include "DialogBase.h"
#include "FontChangeStatic.h"
#include "GdiplusSession.h"
#include "PngStatic.h"

class CVersionDlg : public CDialogBase {
public:
    // `module` holds the box's template and picture, and its version
    // resource is the one shown.
    explicit CVersionDlg(HINSTANCE module);
    ~CVersionDlg() override;

    // Shows the box centred over `parent` until the user closes it; IDOK or
    // IDCANCEL, -1 when it could not be shown.
    INT_PTR Run(HWND parent);

private:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void FitToPicture();
    void PlaceOverParent();
    void ShowVersion();
    void ShowText(CFontChangeStatic &text, int id, const std::wstring &value, POINT at, int points);
    void PlaceOkButton();

    // Declared first: GDI+ must outlive the picture's image.
    CGdiplusSession m_gdiplus;
    HINSTANCE m_module;
    HWND m_parent = nullptr;
    CPngStatic m_picture;
    CFontChangeStatic m_versionText;
    CFontChangeStatic m_copyrightText;
};
