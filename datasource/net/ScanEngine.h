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

class CScanEngine {
public:
    using Sleeper = std::function<void(int milliseconds)>;

    // userName: what BEGIN_JOB tells the server (the log-on name).
    CScanEngine(ITransport &transport, const CScanRequestParams &params,
                const std::string &userName, Sleeper sleep);
    // Closes whatever is open on the server.
    ~CScanEngine();
    CScanEngine(const CScanEngine &) = delete;
    CScanEngine &operator=(const CScanEngine &) = delete;

    // Pause between a "not ready" answer and the next READY_BEGIN_JOB or
    // READY_SCANPAGE. 0, the default, asks again at once.
    void SetReadyPollPause(int milliseconds) { m_readyPollMs = milliseconds; }
    // Keeps the job alive on the server with HEART_BEAT_JOB from the moment
    // a page is ready until the job ends; connect opens the heartbeat's own
    // connection.
    void KeepAliveWith(CJobHeartBeat::Connector connect,
                       int intervalMs = CJobHeartBeat::kIntervalMs);

    // Runs the sequence up to the open image of the next page: the job's
    // first page, or the next sheet of the feeder. NoDocs: the feeder is
    // empty and the job has been ended.
    EEngineStatus StartPage();
    // The geometry of the page StartPage opened.
    int32_t PixelWidth() const { return m_pixelWidth; }
    int32_t PixelHeight() const { return m_pixelHeight; }
    const CPageGeometry &Page() const { return m_page; }

    // Up to size bytes of the page; got 0 with Good when the page is
    // complete. A platen job is ended on the server with its page.
    EEngineStatus Read(char *data, size_t size, size_t &got);

    // Cancels what is open and ends the job. Safe in any phase.
    void EndJob();
    // Only raises a flag: the running or next call acts on it.
    void RequestCancel() { m_cancel = true; }
    bool Busy() const { return m_busy; }
    bool JobOpen() const { return m_phase != EPhase::Idle; }

    EEngineError Error() const { return m_error; }
    const CServerReply &LastReply() const { return m_reply; }
    // What went wrong, for the log: the server's own message when it sent
    // one.
    std::string DescribeError(const IStringSource &texts) const;

private:
    enum class EPhase { Idle, Begun, Ready, PageBegun, PageReady, ImageOpen };
    enum class EStep { Done, Failed, FeederEmpty };

    EStep Exchange(const char *command, const std::string &body, bool honourCancel = true);
    bool DiscoverPath();
    bool ReadText(IHttpResponse &response, std::string &text);
    EEngineStatus Fail(EEngineError error);
    EEngineStatus Cancelled();
    bool OpenImage();
    void CloseImage();
    void WaitReady();
    void StartHeartBeat();

    ITransport &m_transport;
    CScanRequestParams m_params;
    std::string m_userName;
    Sleeper m_sleep;
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
    std::unique_ptr<CJobHeartBeat> m_heartbeat;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_busy{false};
};
