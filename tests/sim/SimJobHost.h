// A data source stand-in for running scan jobs against the simulator: the
// settings of a test, the running program's resources, and a message box
// that records instead of showing.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "JobDialogs.h"
#include "JobHost.h"
#include "SimulatorClient.h"

class CSimJobHost : public CJobHost {
public:
    CSimJobHost() {
        settings.Resolution = 0;  // 200 dpi keeps pages small
        settings.ColorMode = 0;
        settings.InputMediumSize = 5;
        settings.PaperPlace = 0;
        server.Server = "127.0.0.1";
    }
    HWND MainWindow() const override { return nullptr; }
    HINSTANCE ResourceModule() const override { return GetModuleHandleW(nullptr); }
    const CScanSettings &Settings() const override { return settings; }
    CScanRequestParams RequestParams(bool prescan) const override {
        return CScanRequestParams::FromSettings(settings, prescan, usePhoto);
    }
    const CServerSettings &Server() const override { return server; }
    uint16_t HttpPort() const override { return CSimulatorClient::Port(); }
    bool HoldsPrescanImage() const override { return false; }
    void SetCapResolution(int32_t dpi) override { capDpi = dpi; }
    void SetCapPixelType(int32_t mode) override { capMode = mode; }
    int ShowMessage(const std::wstring &text, UINT flags) override {
        boxes.push_back(text);
        boxFlags = flags;
        return IDOK;
    }
    IJobDialogs &Dialogs() override { return dialogs; }

    CJobDialogs dialogs{GetModuleHandleW(nullptr)};
    CScanSettings settings;
    CServerSettings server;
    bool usePhoto = false;
    int32_t capDpi = 0, capMode = -1;
    std::vector<std::wstring> boxes;
    UINT boxFlags = 0;
};
