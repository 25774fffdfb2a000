// The scan server's command sequence for one scanning client, free of any
// frontend and of the HTTP library: it decides the next request from the
// last reply, and hands the page's bytes on as they arrive. Calls block;
// RequestCancel may come from another thread or a signal handler.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "JobHeartBeat.h"
#include "PageGeometry.h"
#include "ScanRequestParams.h"
#include "ServerReply.h"
#include "Transport.h"

class IStringSource;

enum class EEngineStatus { Good, NoDocs, Cancelled, Failed };

// Why the last call failed.
enum class EEngineError {
    None,
    Transport,      // no HTTP answer
    BrokenOff,      // the connection failed inside an answer
    HttpStatus,     // an answer other than 200
    NoCommandPath,  // the path file names no command program
    Server,         // the server's Y_RESULT
    AuthAtDevice,   // Y_SCAN_AUTHENTIC=1
    BadPage,        // a page size that cannot exist
    ShortData,      // the image stream ended before its announced size
};

// How one step of the sequence ended.
enum class EEngineStep { Done, Failed, Cancelled, FeederEmpty };

// What the engine needs of the program that drives it, besides HTTP: a
// place for the server's messages while a command is retried, the user's
// cancel, and a pause that keeps the program responsive.
class IEngineHost {
public:
    virtual ~IEngineHost() = default;
    // The message of a reply that is being retried; nullptr clears it.
    virtual void ShowServerStatus(const CServerReply *reply) = 0;
    // Every answer to READY_SCANPAGE, its Y_READY (2: the scanner waits
    // for its operator).
    virtual void ReadyAnswer(int32_t ready) = 0;
    virtual bool UserCancelled() const = 0;
    // May end early once the user has cancelled.
    virtual void Pause(int milliseconds) = 0;
};

class CScanEngine {
public:
    using Sleeper = std::function<void(int milliseconds)>;
    static constexpr int kRetryPauseMs = 500;

    // userName: what BEGIN_JOB tells the server (the log-on name). The
    // first form serves a program with nothing to show: the pauses are
    // sleep's and the cancel is RequestCancel's.
    CScanEngine(ITransport &transport, const CScanRequestParams &params,
                const std::string &userName, Sleeper sleep);
    CScanEngine(ITransport &transport, const CScanRequestParams &params,
                const std::string &userName, IEngineHost &host);
    // Closes whatever is open on the server.
    ~CScanEngine();
    CScanEngine(const CScanEngine &) = delete;
    CScanEngine &operator=(const CScanEngine &) = delete;

    // Pause between a "not ready" answer and the next READY_BEGIN_JOB or
    // READY_SCANPAGE. 0, the default, asks again at once.
    void SetReadyPollPause(int milliseconds) { m_readyPollMs = milliseconds; }
    // Pause before a command is repeated after a temporary refusal.
    void SetRetryPause(int milliseconds) { m_retryPauseMs = milliseconds; }
    // Keeps the job alive on the server with HEART_BEAT_JOB from the moment
    // a page is ready until the job ends; connect opens the heartbeat's own
    // connection.
    void KeepAliveWith(CJobHeartBeat::Connector connect,
                       int intervalMs = CJobHeartBeat::kIntervalMs);
    // The X-VELT-Language header of every command; "Japanese" unless set.
    void SetLanguage(const std::string &language);
    // BEGIN_JOB's X_PASSWORD; empty unless set.
    void SetPassword(const std::string &password) { m_password = password; }

    // Runs the sequence up to the open image of the next page: the job's
    // first page, or the next sheet of the feeder. NoDocs: the feeder is
    // empty and the job has been ended. Any failure or cancel ends the job
    // on the server at once.
    EEngineStatus StartPage();
    // The geometry of the page StartPage opened.
    int32_t PixelWidth() const { return m_pixelWidth; }
    int32_t PixelHeight() const { return m_pixelHeight; }
    const CPageGeometry &Page() const { return m_page; }

    // Up to size bytes of the page; got 0 with Good when the page is
    // complete. A platen job is ended on the server with its page.
    EEngineStatus Read(char *data, size_t size, size_t &got);

    // Cancels what is open and ends the job. Safe in any phase.
    void CloseJob();
    // Only raises a flag: the running or next call acts on it.
    void RequestCancel() { m_cancel = true; }
    bool Busy() const { return m_busy; }
    bool JobOpen() const { return m_phase != EPhase::Idle; }

    // The sequence one command at a time, for a program that keeps its own
    // account of the job between them (dialogs, results, the feeder's
    // sheets). Each step decides from the server's replies whether to ask
    // again, and moves the job's phase on only as far as the server went;
    // a failure leaves the phase for the caller to clean up, except where
    // noted. Cancelled: the user gave up while the command ran or was
    // repeated; the waits see it after each answer, even a ready one.
    //
    // BEGIN_JOB; Y_SCAN_AUTHENTIC=1 fails with AuthAtDevice.
    EEngineStep BeginJob();
    // READY_BEGIN_JOB until ready; clears the status line on every answer.
    // A failure gives the job up as ready and stops the heartbeat.
    EEngineStep ReadyBeginJob();
    EEngineStep BeginScanPage();
    // READY_SCANPAGE until ready, each answer told to the host; then the
    // page's pixel size is known.
    EEngineStep ReadyScanPage();
    // BEGIN_GET_IMAGE, with the heartbeat running from before it.
    EEngineStep BeginGetImage();
    // GET_IMAGE for page; Done leaves the image stream open with
    // ImageBytesLeft() bytes announced (at most the page's), none when the
    // answer carried no image data.
    EEngineStep GetImage(const CPageGeometry &page);
    // The next bytes of the open image stream: Done with got 0 when the
    // announced bytes are all read. Failed when the connection broke.
    EEngineStep ReadImage(char *data, size_t size, size_t &got);
    void CloseImage();
    // The cancel commands and END_JOB. honourCancel: the user's cancel
    // stops their repeats too (a temporary refusal is then not asked again).
    EEngineStep CancelBeginJob(bool honourCancel);
    EEngineStep CancelScanPage(bool honourCancel);
    EEngineStep CancelGetImage(bool honourCancel);
    // Stops the heartbeat first; the job is over whatever the answer.
    EEngineStep EndJob(bool honourCancel);
    // After a page delivered from the feeder: the next sheet is awaited with
    // READY_SCANPAGE alone.
    void AwaitNextSheet() { m_phase = EPhase::PageBegun; }
    void StartHeartBeat();
    void StopHeartBeat();

    int32_t Session() const { return m_session; }
    int32_t RowBytes() const { return m_reply.rowBytes; }
    uint32_t ImageBytesLeft() const { return m_left; }
    uint32_t ImageBytesReceived() const { return m_received; }

    EEngineError Error() const { return m_error; }
    const CServerReply &LastReply() const { return m_reply; }
    CServerReply &LastReply() { return m_reply; }
    // The HTTP status of the last answer, 0 when none came.
    long LastHttpStatus() const { return m_httpStatus; }
    // What went wrong, for the log: the server's own message when it sent
    // one.
    std::string DescribeError(const IStringSource &texts) const;

private:
    enum class EPhase { Idle, Begun, Ready, PageBegun, PageReady, ImageOpen };
    enum class EStep { Done, Failed, FeederEmpty };

    class CSleeperHost;

    EStep Exchange(const char *command, const std::string &body, bool honourCancel = true);
    EEngineStep SessionCommand(const char *command, bool honourCancel = true);
    bool Cancelling() const { return m_cancel || m_host->UserCancelled(); }
    bool DiscoverPath();
    bool ReadText(IHttpResponse &response, std::string &text);
    EEngineStatus Fail(EEngineError error);
    EEngineStatus Cancelled();
    bool OpenImage();
    // The pause before asking again whether ready; false once cancelled.
    bool WaitReady();

    ITransport &m_transport;
    CScanRequestParams m_params;
    std::string m_userName;
    std::string m_password;
    std::unique_ptr<IEngineHost> m_ownHost;
    IEngineHost *m_host;
    std::vector<std::string> m_headers;
    std::string m_commandPath;
    std::unique_ptr<IHttpResponse> m_response;
    CServerReply m_reply;
    long m_httpStatus = 0;
    std::string m_transportError;
    EEngineError m_error = EEngineError::None;
    EPhase m_phase = EPhase::Idle;
    int32_t m_session = -1;
    int32_t m_pixelWidth = 0, m_pixelHeight = 0;
    CPageGeometry m_page;
    uint32_t m_received = 0, m_left = 0;
    int m_readyPollMs = 0;
    int m_retryPauseMs = kRetryPauseMs;
    std::unique_ptr<CJobHeartBeat> m_heartbeat;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_busy{false};
};
