// The person in front of the screen, for tests that drive the real source:
// a thread that reads and answers every message box the process shows, and
// on request presses Cancel in the source's progress dialog while the
// application's thread is busy inside a transfer.
#pragma once

#include <windows.h>

#include <mutex>
#include <set>
#include <string>
#include <vector>

// Message-box texts as UTF-8, for reports and failure messages.
std::string Utf8(const std::wstring &text);
// A window's class name, and its text asked for with a timeout, so that a
// busy program (this one or another) cannot hang the caller.
std::wstring ClassOf(HWND window);
std::wstring TextOf(HWND window);

class CDialogOperator {
public:
    // How often the screen is looked at.
    static constexpr DWORD kLookIntervalMs = 15;

    CDialogOperator();
    ~CDialogOperator();
    CDialogOperator(const CDialogOperator &) = delete;
    CDialogOperator &operator=(const CDialogOperator &) = delete;

    // Message boxes and the source's main dialog share their caption, so the
    // operator only starts answering boxes once it knows which window is the
    // main dialog (its default button would start a prescan).
    void IgnoreWindow(HWND window);

    // Presses Cancel in the progress dialog once delayMs have passed.
    void PressProgressCancelAfter(DWORD delayMs);
    bool ProgressCancelPressed() const;

    // The texts of the message boxes answered so far, oldest first.
    std::vector<std::wstring> MessageBoxTexts() const;
    void ForgetMessageBoxes();

    // The source's progress dialog of a running scan, if one is shown.
    static HWND FindProgressDialog();
    // Posts BM_CLICK to the dialog's Cancel button; false without one.
    static bool PressCancel(HWND dialog);

private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    void Run();
    void LookAtScreen();
    bool IsSourceDialog(HWND window) const;
    void Answer(HWND box);

    mutable std::mutex m_lock;
    std::set<HWND> m_ignored;
    std::set<HWND> m_answered;
    std::vector<std::wstring> m_texts;
    DWORD m_cancelAt = 0;
    bool m_cancelArmed = false;
    bool m_cancelPressed = false;

    HANDLE m_stop = nullptr;
    HANDLE m_thread = nullptr;
};
