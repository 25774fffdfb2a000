// The job's progress dialog ("データ転送中"): modeless, with a live
// Cancel button.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "DialogBase.h"
#include "JobProgress.h"
#include "ModuleStrings_win.h"

class CScanDlg : public CDialogBase, public IJobProgress {
public:
    CScanDlg(HINSTANCE module, HWND parent, std::function<void()> onCancel);

    bool IsShown() const override { return IsOpen(); }
    HWND Window() const override { return Hwnd(); }
    void SetPage(int32_t page) override;
    void SetProgress(uint32_t received, uint32_t total) override;
    // Written only when it differs from what the line shows.
    void SetStatus(const std::wstring &text) override;
    void SetStoppedLook(bool stopped) override;
    void Repaint() override;

private:
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

    CModuleStrings m_strings;
    std::function<void()> m_onCancel;
    bool m_stopped = false;
    DWORD m_lastRefresh = 0;
    static constexpr DWORD kRefreshMs = 100;
    std::wstring m_noticeText;
};

// The byte counter text shown last, kept across dialogs as the dialog has
// always done, so an unchanged text is not written again.
std::wstring &LastProgressByteText();
