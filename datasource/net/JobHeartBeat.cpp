#include "JobHeartBeat.h"

#include <chrono>

#include "CommandBody.h"

namespace {

// The path file is one short line; anything longer is not read.
constexpr size_t kMaxPathFile = 4096;

// Empty when the file names no command program: the POST to an empty path
// then fails and ends the heartbeat, as a server without the file would.
bool DiscoverCommandPath(ITransport &transport, const std::vector<std::string> &headers,
                         std::string &path) {
    std::string error;
    std::unique_ptr<IHttpResponse> r = transport.Send(kWebPathObject, nullptr, headers, error);
    if (!r)
        return false;
    std::string text;
    char chunk[512];
    while (text.size() < kMaxPathFile && text.find('\n') == std::string::npos) {
        const long n = r->Read(chunk, sizeof chunk);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        text.append(chunk, static_cast<size_t>(n));
    }
    path = CommandPathFromWebPath(text);
    return true;
}

}  // namespace

CJobHeartBeat::CJobHeartBeat(Connector connect, std::vector<std::string> headers)
    : m_connect(std::move(connect)), m_headers(std::move(headers)) {}

CJobHeartBeat::~CJobHeartBeat() {
    // The thread uses this object's lock and texts: it must be gone first.
    StopAndWait();
}

bool CJobHeartBeat::Start(int32_t session) {
    if (m_running)
        return false;
    // A thread from an earlier start has been told to stop; wait for it so
    // that two heartbeat threads never run at once.
    if (m_thread.joinable())
        m_thread.join();
    m_running = true;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = false;
    }
    m_thread = std::thread(&CJobHeartBeat::Run, this, session, m_interval);
    return true;
}

void CJobHeartBeat::Stop() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_running = false;
}

void CJobHeartBeat::StopAndWait() {
    Stop();
    if (m_thread.joinable())
        m_thread.join();
}

bool CJobHeartBeat::StopWithin(int ms) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_stop; });
}

void CJobHeartBeat::Run(int32_t session, int interval) {
    const std::string body = BuildSessionCommandBody(cmd::kHeartBeatJob, session);
    std::unique_ptr<ITransport> transport = m_connect();
    std::string path;
    if (!transport || !DiscoverCommandPath(*transport, m_headers, path))
        return;
    for (;;) {
        std::string error;
        // The reply is of no interest: the server only notes the time.
        if (!transport->Send(path, &body, m_headers, error))
            return;
        if (StopWithin(interval))
            return;
    }
}
