// The prescan's progress window ("処理中"): modeless over the main dialog
// while the prescan job runs, with a live Cancel button and the server's
// status line. Its end gives the main dialog back to the user.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "DialogBase.h"
#include "JobProgress.h"
#include "ModuleStrings_win.h"

class CPreScanDlg : public CDialogBase, public IJobProgress {
public:
    CPreScanDlg(HINSTANCE module, HWND parent, std::function<void()> onCancel);
    ~CPreScanDlg() override;

    bool IsShown() const override { return IsOpen(); }
    HWND Window() const override { return Hwnd(); }
    // A prescan is one page and has no byte counter to show.
    void SetPage(int32_t) override {}
    void SetProgress(uint32_t, uint32_t) override {}
    void SetStatus(const std::wstring &text) override;
    void SetStoppedLook(bool stopped) override;
    void Repaint() override;

private:
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnDestroy();

    CModuleStrings m_strings;
    HWND m_parent;
    std::function<void()> m_onCancel;
    bool m_stopped = false;
    // The two lines as they were before the stopped look replaced them.
    std::wstring m_keptText;
    std::wstring m_keptDetail;
};
