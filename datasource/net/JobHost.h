// What a scan job needs from the data source that owns it. Keeping it this
// narrow lets the job run under test without a whole TWAIN session.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "JobProgress.h"
#include "ScanRequestParams.h"
#include "ScanSettings.h"
#include "ServerSettings.h"

class CJobHost {
public:
    virtual ~CJobHost() = default;
    // Parent of the job's dialogs (the source's main dialog); may be null.
    virtual HWND MainWindow() const = 0;
    // Module whose string table and dialog templates the job uses.
    virtual HINSTANCE ResourceModule() const = 0;
    virtual const CScanSettings &Settings() const = 0;
    // What BEGIN_JOB sends: the settings as the options of the settings
    // files let them reach the server.
    virtual CScanRequestParams RequestParams(bool prescan) const = 0;
    virtual const CServerSettings &Server() const = 0;
    virtual uint16_t HttpPort() const = 0;
    // While the preview holds a prescan image, pages come from it.
    virtual bool HoldsPrescanImage() const = 0;
    // The capability values that follow the dialog's settings.
    virtual void SetCapResolution(int32_t dpi) = 0;
    virtual void SetCapPixelType(int32_t colourMode) = 0;
    // The source's one message-box function.
    virtual int ShowMessage(const std::wstring &text, UINT flags) = 0;
    // The progress and cancel dialogs.
    virtual IJobDialogs &Dialogs() = 0;
};
