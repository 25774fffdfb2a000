// "環境設定": the property sheet over a copy of the settings, four pages,
// OK and Cancel only. Every control of a page is a row of one table: which
// setting it shows and how; the scanner choice is the one control with a
// list of its own.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "ScanSettings.h"
#include "SourceList.h"

class CSettingsSheet {
public:
    CSettingsSheet(HINSTANCE module, const CScanSettings &settings, const CSourceList &sources,
                   std::optional<size_t> current);

    // True when the user left with OK.
    bool Run(HWND parent);
    const CScanSettings &Values() const { return m_values; }
    // The source list entry chosen on the general page; nothing when the
    // list is empty.
    std::optional<size_t> ChosenSource() const { return m_source; }

private:
    static INT_PTR CALLBACK PageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);
    void Fill(HWND page, int dialogId);
    void Take(HWND page, int dialogId);
    void FillSources(HWND page);

    HINSTANCE m_module;
    CScanSettings m_values;
    const CSourceList &m_sources;
    std::optional<size_t> m_source;
};
