// One scan run on the server for one scan start of the data source: opens
// a session, waits until the scanner is free, scans page after page (one
// from the platen, or every sheet of the feeder), streams each page's rows
// and ends the session. The commands and the decisions on their replies
// are the scan engine's; the job keeps the dialogs, the results and the
// transfers' reads. Runs on the application's thread: every request, pause
// and read takes the window messages one at a time, so Cancel stays live.
//
//   JOB_IDLE --BEGIN_JOB--> JOB_BEGUN --READY_BEGIN_JOB(ready)--> JOB_READY
//      ^                                                            |
//      |                                                      BEGIN_SCANPAGE
//   END_JOB                                                          v
//      |      IMAGE_OPEN <--BEGIN_GET_IMAGE-- PAGE_READY <--READY_SCANPAGE-- PAGE_BEGUN
//      |          |  GET_IMAGE + reads             ^  |  (feeder: next sheet)  ^
//      +----------+-------------------------------+  +------------------------+
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "HeartBeatHttpSession.h"
#include "JobHost.h"
#include "ModuleStrings_win.h"
#include "PageGeometry.h"
#include "ScanEngine.h"
#include "ServerMessages.h"
#include "SessionTransport.h"

enum EJobPhase : int32_t {
    JOB_IDLE = 1,
    JOB_BEGUN = 2,
    JOB_READY = 3,
    PAGE_BEGUN = 4,
    PAGE_READY = 5,
    IMAGE_OPEN = 6,
};

// The last page size the server announced, kept for image information.
struct CModulePageSize {
    int32_t width = 0;
    int32_t height = 0;
};
CModulePageSize &ModulePageSize();

class CScanJob : private IEngineHost {
public:
    // How long one poll waits for the network before pumping again.
    static constexpr DWORD kPollSliceMs = 50;
    // Between image pieces already in memory, messages are looked at no
    // more often than this: a look is a round trip to the window system
    // (under Wine some 60 us, far more than copying a 64 KiB piece).
    static constexpr DWORD kPumpIntervalMs = 10;
    // Windows 95 needs a pause after END_JOB before the next job.
    static constexpr DWORD kWin95EndPauseMs = 3000;

    CScanJob(CJobHost &host, bool prescan);
    virtual ~CScanJob();
    CScanJob(const CScanJob &) = delete;
    CScanJob &operator=(const CScanJob &) = delete;

    // Runs up to IMAGE_OPEN of the next page; returns the result.
    int32_t Advance();
    // Delivers the next bytes of the page into buffer; size in: capacity,
    // out: bytes delivered. True when the page is complete or the job failed.
    bool Read(char *buffer, uint32_t &size);
    void EndPage();
    bool MorePages();
    void Reconfigure();
    void ShowError();
    // A native transfer that gave up: CANCEL_GET_IMAGE, and the page is
    // over whatever the server answered.
    void AbandonImage();
    // The pixel size never exceeds the page the server last announced.
    void ClipToModulePageSize();
    // The part of a held prescan image the scan delivers, in the image's
    // pixels; a zero width or height keeps the whole image that way.
    void SetCut(int32_t left, int32_t top, int32_t width, int32_t height);

    int32_t Result() const { return m_result; }
    void SetResult(int32_t r) { m_result = r; }
    int32_t Phase() const { return m_phase; }
    int32_t Pages() const { return m_pages; }
    int32_t SessionId() const { return m_sessionId; }
    int32_t RowSize() const { return m_rowSize; }
    void ResetPages() { m_pages = 0; }
    int32_t PixelWidth() const { return m_pixelWidth; }
    int32_t PixelHeight() const { return m_pixelHeight; }
    int32_t ColourMode() const { return m_colourMode; }
    int32_t Resolution() const { return m_resolution; }
    int32_t BytesReceived() const { return m_bytesReceived; }
    int32_t LeftOffset() const { return m_leftOffset; }
    int32_t TopOffset() const { return m_topOffset; }
    int32_t PageSource() const { return m_pageSource; }
    bool IsPrescan() const { return m_prescan; }
    const CPageGeometry &Geometry() const { return m_geometry; }
    bool HasProgressDialog() const { return m_progress && m_progress->IsShown(); }
    void CloseProgressDialog();
    IJobProgress *ProgressDialog() { return m_progress.get(); }
    void MarkEnding() { m_ending = true; }

    // For the benchmark's raw reference read.
    CScanEngine &Engine() { return *m_engine; }
    CHttpSessionThread &Session() { return m_transport->Session(); }
    // Test hooks: shorter pauses and heartbeat interval.
    void SetTimings(DWORD retryPauseMs, DWORD heartbeatMs);

private:
    // IEngineHost
    void ShowServerStatus(const CServerReply *reply) override;
    void ReadyAnswer(int32_t ready) override;
    bool UserCancelled() const override { return m_result == JOB_CANCELLED; }
    void Pause(int milliseconds) override;

    bool SetUpSession();
    // One wait of a poll: for the event, or a window message.
    void WaitOnce(HANDLE event);
    EPoll Poll(const std::function<EPoll()> &step);
    // True when the step is done; a failure is logged.
    bool Succeeded(EEngineStep step, const char *command) const;
    int32_t FailResult() const;
    void Fail();
    void PumpOne();
    void PumpNowAndThen();
    void StartHeartbeat();
    void StopHeartbeat();

    bool BeginJob();
    bool WaitJobReady();
    bool WaitPageReady();
    bool OpenImage();
    bool OpenImageRequest();
    bool FinishPage();

    // Runs a cancel command after the user pressed Cancel in a wait; false.
    // refusalShown: a server that refuses the cancel fails the scan start
    // with its own result (a job it has begun stays open on it).
    bool CancelWhileWaiting(bool (CScanJob::*cancel)(), bool refusalShown);
    bool CancelBeginJob();
    bool CancelScanPage();
    // Skipped after a communication error, unless a feeder job needs the
    // server to let go of the sheet before the next one.
    bool CancelGetImage(bool evenAfterCommError = false);
    // The page's image was opened but not all of it delivered.
    bool ImageUnfinished() const;
    bool EndJob();

    CJobHost &m_host;
    CModuleStrings m_strings;
    std::unique_ptr<IJobProgress> m_progress;
    std::unique_ptr<ICancelNotice> m_cancelDlg;
    std::unique_ptr<CSessionTransport> m_transport;
    std::unique_ptr<CScanEngine> m_engine;
    std::unique_ptr<CHeartBeatHttpSession> m_heartbeat;

    int32_t m_bytesLeft = 0;
    int32_t m_pageSource = 0;
    bool m_prescan = false;
    int32_t m_rowSize = 0;
    int32_t m_result = JOB_OK;
    int32_t m_pixelWidth = 0;
    int32_t m_pixelHeight = 0;
    int32_t m_leftOffset = 0;
    int32_t m_topOffset = 0;
    int32_t m_colourMode = 0;
    int32_t m_resolution = 0;
    int32_t m_phase = JOB_IDLE;
    bool m_ending = false;
    int32_t m_sessionId = 0;
    int32_t m_bytesReceived = 0;
    int32_t m_pages = 0;
    bool m_imageOpen = false;
    bool m_imageRequested = false;
    // The scanner waits for its operator (the dialog shows it stopped).
    bool m_operatorWait = false;
    DWORD m_lastPump = 0;
    CPageGeometry m_geometry;
    DWORD m_retryPause = CScanEngine::kRetryPauseMs;
    DWORD m_heartbeatInterval = CHeartBeatHttpSession::kIntervalMs;
};
