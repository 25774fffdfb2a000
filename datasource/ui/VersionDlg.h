// "Scan Twain Driverのバージョン情報": the modal box the main dialog's
// version button opens. The product picture fills it; on the picture, the
// file version and copyright of the source module, read from its version
// resource, so that the box always tells what is installed.
#pragma once

#include <windows.h>

#include "PictureBox.h"

class CVersionDlg : public CPictureBox {
public:
    // `module` holds the box's template and picture, and its version
    // resource is the one shown.
    explicit CVersionDlg(HINSTANCE module);

private:
    BOOL OnInitDialog() override;
    void PlaceOverParent();
};
