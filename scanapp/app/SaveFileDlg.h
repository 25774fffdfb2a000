// The save dialog: the common file dialog in save mode with the five
// output types, the last folder and type, a name made of the time of day,
// and a check box that opens the chosen type's option dialog before the
// name is accepted. The options chosen there serve this save only.
#pragma once

#include <windows.h>

#include <string>

#include "ScanSettings.h"

class CSaveFileDlg {
public:
    CSaveFileDlg(HINSTANCE module, const CScanSettings &settings);

    // True when a name was accepted.
    bool Run(HWND parent);
    const std::wstring &Path() const { return m_path; }
    // The output type: the filter index, 1 to 5.
    int Type() const { return m_type; }
    // The settings with this save's options.
    const CScanSettings &Values() const { return m_values; }

private:
    static UINT_PTR CALLBACK Hook(HWND hook, UINT msg, WPARAM wParam, LPARAM lParam);
    void AddCheckBox(HWND dialog);
    // False keeps the dialog open.
    bool Accept(HWND dialog);

    HINSTANCE m_module;
    CScanSettings m_values;
    std::wstring m_path;
    int m_type = 1;
};
