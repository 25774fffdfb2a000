// The WinINet session and HTTP connection of one client of the scan server:
// direct, or through an HTTP proxy that may ask for Basic credentials.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <string>

#include "InternetHandle.h"

struct CHttpConnectParams {
    std::string agent;
    std::string proxy;  // "name:port", empty for direct access
    std::string server;
    uint16_t port = 80;
    // What the proxy's challenge is answered with (empty: no credentials).
    // They belong to the proxy alone: the scan server is never given them.
    std::string proxyUser;
    std::string proxyPassword;
};

class CInternetConnection {
public:
    // 0 once the session and the connection are open, else WinINet's error.
    DWORD Open(const CHttpConnectParams &params);
    void Close();
    HINTERNET Connection() const { return m_connection.Get(); }

    // A request on the connection that carries the proxy's credentials, so
    // that WinINet answers a 407 with them. Null on failure (GetLastError).
    HINTERNET OpenRequest(const char *verb, const std::string &path, const char *version) const;
    // Adds the headers and sends the request with its body. False on a
    // transport error; an HTTP status is the caller's to query.
    bool Send(HINTERNET request, const std::string &headers, const std::string &body) const;

private:
    static bool SendStreamed(HINTERNET request, const std::string &body);

    CInternetHandle m_internet;
    CInternetHandle m_connection;
    std::string m_proxyUser;
    std::string m_proxyPassword;
};
