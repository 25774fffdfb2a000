// The option dialogs the save dialog opens for one save: the controls of
// a settings page over the save dialog's own copy of the settings, taken
// back only with OK.
#pragma once

#include <windows.h>

#include "DialogBase.h"
#include "ScanSettings.h"

class CSaveOptionDlg : public CDialogBase {
public:
    // True when the user left with OK; `values` changed only then.
    bool Run(HWND parent);

protected:
    CSaveOptionDlg(HINSTANCE module, int dialogId, CScanSettings &values)
        : m_module(module), m_dialogId(dialogId), m_values(values) {}

private:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // The PDF dialog's JPEG quality applies only to JPEG-compressed images.
    void EnableJpegQuality();

    HINSTANCE m_module;
    int m_dialogId;
    CScanSettings &m_values;
};

// "JPEG品質": the quality of the JPEG files.
class CJPEGOptionDlg : public CSaveOptionDlg {
public:
    CJPEGOptionDlg(HINSTANCE module, CScanSettings &values);
};

// "PDFオプション": compression of bilevel and grey images, JPEG quality, encoding.
class CPDFOptionDlg : public CSaveOptionDlg {
public:
    CPDFOptionDlg(HINSTANCE module, CScanSettings &values);
};

// "高圧縮PDFオプション": the automatic level correction.
class CMRCPDFOptionDlg : public CSaveOptionDlg {
public:
    CMRCPDFOptionDlg(HINSTANCE module, CScanSettings &values);
};
