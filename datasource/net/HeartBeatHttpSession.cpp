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
bool DiscoverCommandPath(HINTERNET connection, const std::string &headers, std::string &path) {
    CInternetHandle req(HttpOpenRequestA(connection, "GET", kWebPathObject, nullptr, nullptr,
                                         nullptr, kRequestFlags, 1));
    if (!req)
        return false;
    HttpAddRequestHeadersA(req.Get(), headers.c_str(), static_cast<DWORD>(-1),
                           HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE);
    if (!HttpSendRequestA(req.Get(), nullptr, 0, nullptr, 0))
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

bool PostOnce(HINTERNET connection, const std::string &path, const std::string &headers,
              const std::string &body) {
    CInternetHandle req(HttpOpenRequestA(connection, "POST", path.c_str(), "HTTP/1.0", nullptr,
                                         nullptr, kRequestFlags, 1));
    if (!req)
        return false;
    HttpAddRequestHeadersA(req.Get(), headers.c_str(), static_cast<DWORD>(-1),
                           HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE);
    INTERNET_BUFFERSA in = {};
    in.dwStructSize = sizeof in;
    in.dwBufferTotal = static_cast<DWORD>(body.size());
    if (!HttpSendRequestExA(req.Get(), &in, nullptr, HSR_INITIATE, 1))
        return false;
    DWORD written = 0;
    if (!InternetWriteFile(req.Get(), body.data(), static_cast<DWORD>(body.size()), &written) ||
        written != body.size())
        return false;
    return HttpEndRequestA(req.Get(), nullptr, 0, 0) != FALSE;
}

}  // namespace

void CHeartBeatHttpSession::Run() {
    const std::string body = BuildSessionCommandBody(cmd::kHeartBeatJob, m_session);
    const CHttpConnectParams &p = m_params;
    CInternetHandle internet(
        InternetOpenA(p.agent.empty() ? nullptr : p.agent.c_str(),
                      p.proxy.empty() ? INTERNET_OPEN_TYPE_DIRECT : INTERNET_OPEN_TYPE_PROXY,
                      p.proxy.empty() ? nullptr : p.proxy.c_str(), nullptr, 0));
    if (!internet)
        return;
    CInternetHandle connection(InternetConnectA(
        internet.Get(), p.server.c_str(), p.port, p.user.empty() ? nullptr : p.user.c_str(),
        p.password.empty() ? nullptr : p.password.c_str(), INTERNET_SERVICE_HTTP, 0, 1));
    if (!connection)
        return;
    std::string path;
    if (!DiscoverCommandPath(connection.Get(), m_headers, path))
        return;
    for (;;) {
        if (!PostOnce(connection.Get(), path, m_headers, body))
            return;
        if (WaitForSingleObject(m_stop.Get(), m_interval) != WAIT_TIMEOUT)
            return;
    }
}
