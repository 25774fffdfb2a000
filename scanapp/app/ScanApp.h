// The application object: GDI+ for the program's life, the profile file
// decided once, a single running instance, and the message loop that lets
// the main window route every message to the source first.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "GdiplusSession.h"
#include "ScanAppDlg.h"

class CScanApp {
public:
    explicit CScanApp(HINSTANCE module) : m_module(module) {}

    // False when another instance took over or the window could not be made.
    bool InitInstance();
    // Until the quit message; its exit code.
    int Run();
    void ExitInstance();

    const std::string &ProfilePath() const { return m_profile; }

private:
    // The running instance's main window, brought forward; false without one.
    bool ActivateRunningInstance() const;
    std::string ProgramPath() const;
    std::string DecideProfilePath() const;

    CGdiplusSession m_gdiplus;
    HINSTANCE m_module;
    std::string m_profile;
    std::unique_ptr<CScanAppDlg> m_mainWnd;
};
