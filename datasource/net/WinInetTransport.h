// The scan engine's HTTP over WinINet: one connection to the scan server,
// direct or through the proxy of the settings (its credentials included),
// one request at a time, the body of an answer read as it arrives.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "InternetConnection.h"
#include "Transport.h"

class CWinInetTransport : public ITransport {
public:
    // commandVersion: the HTTP version of the POSTed commands (nullptr for
    // WinINet's default); the path file is always fetched with the default.
    CWinInetTransport(const CHttpConnectParams &params, const char *commandVersion);

    // 0 when the connection is open, else WinINet's error.
    DWORD OpenError() const { return m_openError; }

    std::unique_ptr<IHttpResponse> Send(const std::string &path, const std::string *body,
                                        const std::vector<std::string> &headers,
                                        std::string &error) override;

private:
    CInternetConnection m_net;
    const char *m_commandVersion;
    DWORD m_openError;
};
