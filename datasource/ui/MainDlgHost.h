// What the main dialog needs of the data source that owns it. The dialog
// sits below the source and reaches it only through here, as the job
// reaches the source through its host.
#pragma once

#include <windows.h>

#include <string>

class IMainDlgHost {
public:
    virtual ~IMainDlgHost() = default;
    // Module whose string table and dialog templates the dialog uses.
    virtual HINSTANCE ResourceModule() const = 0;
    // The source's profile file (its "UiSettings"/"Unit").
    virtual std::wstring ProfilePath() const = 0;
    // Title of the application's window; "CV_ScanToBox" is the companion application.
    virtual const std::wstring &ParentTitle() const = 0;
    // The Scan button, after the dialog stored its pages into its record.
    virtual void ScanStart() = 0;
    // The prescan of the preview, with the settings the dialog stored: the
    // platen page as a packed DIB in movable global memory (the caller owns
    // it), or null when it failed or was cancelled.
    virtual HGLOBAL Prescan() = 0;
    // The Close button.
    virtual void Cancel() = 0;
    // The window is closing or going: the server's job ends with it.
    virtual void EndJob() = 0;
    // Windows is ending the session: the source closes as MSG_CLOSEDS
    // closes it, and the dialog with it.
    virtual void CloseForEndSession() = 0;
    // The running job's progress window, or null.
    virtual HWND ProgressWindow() const = 0;
    // The resolution the scan area is measured at before the dialog sets one.
    virtual double CurrentResolution() const = 0;
};
