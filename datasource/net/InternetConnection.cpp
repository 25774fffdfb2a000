#include "InternetConnection.h"

namespace {

DWORD LastErrorOr(DWORD fallback) {
    const DWORD e = GetLastError();
    return e != 0 ? e : fallback;
}

DWORD StatusOf(HINTERNET request) {
    DWORD code = 0, len = sizeof code;
    if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &len,
                        nullptr))
        return 0;
    return code;
}

}  // namespace

DWORD CInternetConnection::Open(const CHttpConnectParams &p) {
    Close();
    m_internet.Reset(
        InternetOpenA(p.agent.empty() ? nullptr : p.agent.c_str(),
                      p.proxy.empty() ? INTERNET_OPEN_TYPE_DIRECT : INTERNET_OPEN_TYPE_PROXY,
                      p.proxy.empty() ? nullptr : p.proxy.c_str(), nullptr, 0));
    if (!m_internet)
        return LastErrorOr(ERROR_INTERNET_INTERNAL_ERROR);
    // The user name and password of InternetConnect are the server's
    // credentials; the proxy's travel as request options.
    m_connection.Reset(InternetConnectA(m_internet.Get(), p.server.c_str(), p.port, nullptr,
                                        nullptr, INTERNET_SERVICE_HTTP, 0, 1));
    if (!m_connection)
        return LastErrorOr(ERROR_INTERNET_INTERNAL_ERROR);
    m_proxyUser = p.proxy.empty() ? std::string() : p.proxyUser;
    m_proxyPassword = m_proxyUser.empty() ? std::string() : p.proxyPassword;
    return 0;
}

void CInternetConnection::Close() {
    m_connection.Reset();
    m_internet.Reset();
    m_proxyUser.clear();
    m_proxyPassword.clear();
}

HINTERNET CInternetConnection::OpenRequest(const char *verb, const std::string &path,
                                           const char *version) const {
    HINTERNET h = HttpOpenRequestA(m_connection.Get(), verb, path.c_str(), version, nullptr,
                                   nullptr, kRequestFlags, 1);
    if (!h || m_proxyUser.empty())
        return h;
    // WinINet copies the texts; the lengths are of the texts without their end.
    if (!InternetSetOptionA(h, INTERNET_OPTION_PROXY_USERNAME,
                            const_cast<char *>(m_proxyUser.c_str()),
                            static_cast<DWORD>(m_proxyUser.size())) ||
        !InternetSetOptionA(h, INTERNET_OPTION_PROXY_PASSWORD,
                            const_cast<char *>(m_proxyPassword.c_str()),
                            static_cast<DWORD>(m_proxyPassword.size()))) {
        const DWORD e = GetLastError();
        InternetCloseHandle(h);
        SetLastError(e);
        return nullptr;
    }
    return h;
}

bool CInternetConnection::Send(HINTERNET request, const std::string &headers,
                               const std::string &body) const {
    if (!headers.empty() &&
        !HttpAddRequestHeadersA(request, headers.c_str(), static_cast<DWORD>(-1),
                                HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE))
        return false;
    if (!body.empty() && m_proxyUser.empty())
        return SendStreamed(request, body);
    // WinINet answers a proxy's challenge itself only for a request whose
    // body it holds whole; one that hands the challenge back gets the
    // request once more, now that it knows the scheme.
    void *data = body.empty() ? nullptr : const_cast<char *>(body.data());
    const DWORD length = static_cast<DWORD>(body.size());
    if (!HttpSendRequestA(request, nullptr, 0, data, length))
        return false;
    if (m_proxyUser.empty() || StatusOf(request) != HTTP_STATUS_PROXY_AUTH_REQ)
        return true;
    // The challenge's own answer must be read off the connection first.
    char sink[4096];
    DWORD got = 0;
    while (InternetReadFile(request, sink, sizeof sink, &got) && got > 0) {
    }
    return HttpSendRequestA(request, nullptr, 0, data, length) != FALSE;
}

bool CInternetConnection::SendStreamed(HINTERNET request, const std::string &body) {
    // Written after the head, so that a connection the server drops is
    // reported as such instead of WinINet sending the command once more.
    INTERNET_BUFFERSA in = {};
    in.dwStructSize = sizeof in;
    in.dwBufferTotal = static_cast<DWORD>(body.size());
    if (!HttpSendRequestExA(request, &in, nullptr, HSR_INITIATE, 1))
        return false;
    size_t sent = 0;
    while (sent < body.size()) {
        DWORD written = 0;
        if (!InternetWriteFile(request, body.data() + sent, static_cast<DWORD>(body.size() - sent),
                               &written) ||
            written == 0)
            return false;
        sent += written;
    }
    return HttpEndRequestA(request, nullptr, 0, 0) != FALSE;
}
