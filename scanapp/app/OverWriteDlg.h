// "上書き確認": may the existing file be replaced? From the second page
// of a series on it also offers to replace every file that follows, and
// to stop the series.
#pragma once

#include <windows.h>

#include <string>

#include "DialogBase.h"

class COverWriteDlg : public CDialogBase {
public:
    // `name`: the file's name as the user knows it.
    COverWriteDlg(HINSTANCE module, std::wstring name, bool extraButtons);

    // True for "はい" and "全て置き換え".
    bool Run(HWND parent);
    bool ReplaceAll() const { return m_replaceAll; }
    bool Cancelled() const { return m_cancel; }

private:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Without the extra buttons, "はい" and "いいえ" share the width evenly.
    void SpaceTwoButtons();

    HINSTANCE m_module;
    std::wstring m_name;
    bool m_extra;
    bool m_replaceAll = false;
    bool m_cancel = false;
};
