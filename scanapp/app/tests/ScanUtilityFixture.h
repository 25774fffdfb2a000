// The set-up every end-to-end run of corvscan.exe shares: the simulator
// behind our source, the source installed for Wine's own source manager,
// the user's source settings, the utility's log emptied.
#pragma once

#include <gtest/gtest.h>

#include "SimulatorClient.h"
#include "SourceSettingsFile.h"
#include "TwainTestClient.h"
#include "UtilityRun.h"
#include "WineDsm.h"

constexpr DWORD kWindowTimeoutMs = 20000;
constexpr DWORD kScanTimeoutMs = 60000;

class CScanUtilityFixture : public ::testing::Test {
protected:
    // `scenario`: the simulator's; `setup`: the source's scan settings.
    void Prepare(const std::vector<std::string> &scenario, const SScanSetup &setup) {
        ASSERT_NE(CSimulatorClient::Port(), 0) << "simulator not running";
        ASSERT_TRUE(CSimulatorClient::SetScenario(scenario));
        ASSERT_TRUE(CTwainTestClient::InstallSource()) << "corvsrc.ds beside the test program";
        CUtilityRun::LoadFilesOf({});
        ASSERT_TRUE(CUtilityRun::InstallManager(WineDsmPath()));
        const CSourceSettingsFile file(CTwainTestClient::InstalledSourcePath());
        ASSERT_TRUE(file.Write(setup, "127.0.0.1", CSimulatorClient::Port()));
        CUtilityRun::ResetLog();
    }

    // The source's dialog, waited for.
    static HWND WaitForSourceDialog(CUtilityRun &run) {
        return CUtilityRun::WaitForWindow([&] { return run.SourceDialog(); }, kWindowTimeoutMs);
    }
};
