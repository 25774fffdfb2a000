// Drives the source through DS_Entry the way a TWAIN application does, with
// the module initialised from the test program's own resources.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "DataSource.h"
#include "DsEntry.h"
#include "TwainSrcApp.h"
#include "RecordingDsm.h"
#include "twain/twain.h"

// States as the tests name them; 0 means no source is open.
constexpr TW_UINT32 kNoSource = 0;

// A scan job that is ready at once; the test decides what it answers and
// which page its reads deliver.
class CFakeScanJob : public IScanJob {
public:
    struct Script {
        bool advances = true;
        bool morePages = false;
        bool platen = true;
        bool progressOpen = true;
        HWND progressWindow = nullptr;
        int created = 0;
        int destroyed = 0;
        int errorsShown = 0;
        int pagesFinished = 0;
        int advanceCalls = 0;
        int abandoned = 0;
        // The page reads deliver, rows in server order, and its geometry.
        std::vector<uint8_t> page;
        CXferPage geometry;
        // Once this many bytes were delivered the job takes `failResult`.
        uint32_t failAt = UINT32_MAX;
        int32_t failResult = 0;
        // A read never crosses a multiple of this many bytes, as the real
        // job's read-ahead does not (0: no such limit).
        uint32_t readBoundary = 0;
        int32_t result = 0;
    };
    explicit CFakeScanJob(Script &script) : m_script(script) { ++m_script.created; }
    ~CFakeScanJob() override { ++m_script.destroyed; }
    void ApplyDialogSettings() override {}
    void ResetPageCount() override {}
    int32_t Advance() override;
    bool Read(char *buffer, uint32_t &size) override;
    void SetRowsDelivered(uint32_t rows) override { m_script.geometry.rowsDelivered = rows; }
    int32_t Result() const override { return m_script.result; }
    void SetResult(int32_t result) override { m_script.result = result; }
    CXferPage Page() const override { return m_script.geometry; }
    void ClipToModulePageSize() override {}
    void AbandonImage() override { ++m_script.abandoned; }
    void ShowErrorMessage() override { ++m_script.errorsShown; }
    void FinishPage() override { ++m_script.pagesFinished; }
    bool MorePages() override { return m_script.morePages; }
    bool HasProgressDialog() const override { return m_script.progressOpen; }
    HWND ProgressWindow() const override { return m_script.progressWindow; }
    void CloseProgressDialog() override { m_script.progressOpen = false; }
    bool IsPlaten() const override { return m_script.platen; }
    void MarkEnding() override {}

private:
    Script &m_script;
};

class DsTest : public ::testing::Test {
protected:
    static constexpr TW_UINT32 kAppId = 7;
    static constexpr TW_UINT32 kSourceId = 3;

    void SetUp() override;
    void TearDown() override;

    TW_UINT16 Call(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void *data,
                   TW_UINT32 appId = kAppId);
    TW_UINT16 Status();
    TW_UINT32 State() const;
    // Brings the source to a state (kNoSource, 400, 500 or 600).
    void Reach(TW_UINT32 state);
    // Closes the open source as MSG_CLOSEDS does, whatever its state.
    void CloseSource();
    TW_UINT16 Open(TW_UINT32 appId = kAppId);
    TW_UINT16 Enable(TW_BOOL showUI, TW_UINT16 msg = MSG_ENABLEDS, HWND parent = nullptr);
    HWND Dialog() const;
    // Fresh settings files with only a server chosen, as a configured
    // workstation has them; returns the scan settings file's path.
    static std::wstring ConfigureServer(const char *server);
    // What the server dialog, the pages and the "Debug" section would hold
    // for scans from `server` at `port` (resolution as the setting's code).
    static void ConfigureScan(const char *server, int port, int paperPlace = 0, int colour = 0,
                              int resolution = 0);
    // The favourites folder with no file in it (its path ends in "\\").
    static std::wstring EmptyFavoritesFolder();
    // Deletes every file of a folder given with its closing "\\".
    static void EmptyFolder(const std::wstring &folder);
    void Click(int id);

    // The recording source manager beside the test program.
    std::vector<RecordedDsmCall> Notifications();

    TW_IDENTITY m_app{};
    CFakeScanJob::Script m_job;
    std::vector<std::wstring> m_boxes;
    HMODULE m_dsm = nullptr;
};
