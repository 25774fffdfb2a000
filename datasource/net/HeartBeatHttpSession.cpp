#include "HeartBeatHttpSession.h"

#include <wininet.h>

#include "CommandBody.h"

CHeartBeatHttpSession::CHeartBeatHttpSession(CHttpConnectParams params, std::string language)
    : m_params(std::move(params)),
      m_headers(BuildCommandHeaders(language)),
      m_stop(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CHeartBeatHttpSession::~CHeartBeatHttpSession() {
    Stop();
    // The thread uses this object's event and texts: it must be gone first.
    if (m_thread.joinable())
        m_thread.join();
}

bool CHeartBeatHttpSession::Start(int32_t session) {
    if (m_running)
        return false;
    // A thread from an earlier start has been told to stop; wait for it so
    // that two heartbeat threads never run at once.
    if (m_thread.joinable())
        m_thread.join();
    m_running = true;
    m_session = session;
    ResetEvent(m_stop.Get());
    m_thread = std::thread(&CHeartBeatHttpSession::Run, this);
    return true;
}

void CHeartBeatHttpSession::Stop() {
    SetEvent(m_stop.Get());
    m_running = false;
}

void CHeartBeatHttpSession::StopAndWait() {
    Stop();
    if (m_thread.joinable())
        m_thread.join();
}

namespace {

// False on a transport failure; a path file without CGI_PATH gives an
// empty path (whose POST then fails and ends the heartbeat).
bool DiscoverCommandPath(const CInternetConnection &net, const std::string &headers,
                         std::string &path) {
    CInternetHandle req(net.OpenRequest("GET", kWebPathObject, nullptr));
    if (!req || !net.Send(req.Get(), headers, std::string()))
        return false;
    std::string line;
    char c;
    DWORD got = 0;
    while (line.size() < 4096) {
        if (!InternetReadFile(req.Get(), &c, 1, &got))
            return false;
        if (got == 0 || c == '\n')
            break;
        line += c;
    }
    path = CommandPathFromWebPath(line);
    return true;
}

bool PostOnce(const CInternetConnection &net, const std::string &path, const std::string &headers,
              const std::string &body) {
    CInternetHandle req(net.OpenRequest("POST", path, "HTTP/1.0"));
    return req && net.Send(req.Get(), headers, body);
}

}  // namespace

void CHeartBeatHttpSession::Run() {
    const std::string body = BuildSessionCommandBody(cmd::kHeartBeatJob, m_session);
    CInternetConnection net;
    if (net.Open(m_params) != 0)
        return;
    std::string path;
    if (!DiscoverCommandPath(net, m_headers, path))
        return;
    for (;;) {
        if (!PostOnce(net, path, m_headers, body))
            return;
        if (WaitForSingleObject(m_stop.Get(), m_interval) != WAIT_TIMEOUT)
            return;
    }
}
