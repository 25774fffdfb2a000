// The utility's main window: a caption and a menu bar, no client area. It
// owns the settings and the TWAIN side, routes the thread's messages to the
// source while it is enabled, and answers the source dialog's unit request.
#pragma once

#include <windows.h>

#include <string>

#include "MrcConversion.h"
#include "SaveHost.h"
#include "ScanSettings.h"
#include "ScanTwain.h"
#include "WinSaveFiles.h"

class CScanAppDlg : public IScanTwainHost, public ISaveUi {
public:
    // Loads the settings: from `profile`, or from `defaults` before the
    // first save.
    CScanAppDlg(HINSTANCE module, std::string profile, std::string defaults);
    ~CScanAppDlg() override;
    CScanAppDlg(const CScanAppDlg &) = delete;
    CScanAppDlg &operator=(const CScanAppDlg &) = delete;

    // The window's class; the running instance is found by it and the title.
    static constexpr const wchar_t *kClassName = L"CorvScanUtilityMain";

    bool Create();
    HWND Hwnd() const { return m_hwnd; }
    // True when the message was consumed: by the source, as an
    // accelerator, or as a dialog message.
    bool PreTranslateMessage(MSG &msg);

    // IScanTwainHost
    HWND TwainWindow() const override { return m_hwnd; }
    void ShowTwainMessage(const std::wstring &text, bool duringTransfer) override;
    int OutputType() const override { return m_settings.Type; }

    // ISaveUi
    EOverwrite AskOverwrite(const std::string &name, bool extraButtons) override;
    void ShowMessage(int id, const std::string &name) override;
    void ShowFailure(const std::string &what) override;
    void Log(const std::string &line) override;

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnCreate();
    void FitToMenu();
    void OnActivate();
    void OnPaint();
    void OnDestroy();
    bool OnCommand(UINT id);
    void OnParamRequest(HGLOBAL block);
    void OnScan();
    void OnSettings();
    void OnAbout();
    void OnCloseRequest();
    // MSG_XFERREADY: where to save, then every page into files.
    void OnXferReady();
    void BringSourceForward();
    // Around a box shown while the source's progress is up.
    void EnableSourceProgress(bool enable);
    // Runs a modal dialog owned by the main window. Close requests wait
    // while it is up, and the window stays disabled after it when the
    // source has the user: a closing dialog enables its owner.
    template <typename Run>
    auto Modal(Run run);
    // A box of the save, shown while the source's progress is up.
    void ShowSaveBox(const std::wstring &text);

    HINSTANCE m_module;
    std::string m_profile;
    HWND m_hwnd = nullptr;
    CScanSettings m_settings;
    HICON m_icon = nullptr;
    HICON m_smallIcon = nullptr;
    HACCEL m_accel = nullptr;
    bool m_firstActivation = true;
    int m_notInModal = 1;
    // The source dialog that last asked for the unit.
    HWND m_sourceUi = nullptr;
    CScanTwain m_twain;
    CWinSaveFiles m_files;
    CMrcConversion m_conversion;
};
