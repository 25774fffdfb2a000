// The utility's about box: the product picture fills it, and on it the
// program's file version and copyright from its own version resource.
#pragma once

#include <windows.h>

#include "PictureBox.h"

class CAboutDlg : public CPictureBox {
public:
    explicit CAboutDlg(HINSTANCE module);

private:
    BOOL OnInitDialog() override;
    void SetTitle();
    void CentreOnScreen();
};
