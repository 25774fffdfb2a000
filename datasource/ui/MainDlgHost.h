// What the main dialog needs of the data source that owns it. The dialog
// sits below the source and reaches it only through here, as the job
// reaches the source through its host.
#pragma once

#include <windows.h>

class IMainDlgHost {
public:
    virtual ~IMainDlgHost() = default;
    // Module whose string table and dialog templates the dialog uses.
    virtual HINSTANCE ResourceModule() const = 0;
    // The Scan button.
    virtual void ScanStart() = 0;
    // The Close button.
    virtual void Cancel() = 0;
    // The window is closing or going: the server's job ends with it.
    virtual void EndJob() = 0;
    // The resolution the scan area is measured at before the dialog sets one.
    virtual double CurrentResolution() const = 0;
};
