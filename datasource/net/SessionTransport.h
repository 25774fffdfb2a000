// The scan engine's HTTP for the data source's job: each request runs on
// the session's worker thread while the job's thread waits in the job's
// own way (taking its window messages, so Cancel stays live). The image
// of an open GET_IMAGE answer is then read with the session's streaming
// reader.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "HttpSessionThread.h"
#include "Transport.h"

class CSessionTransport : public ITransport {
public:
    // Waits until the event is signalled or a little while has passed.
    using Waiter = std::function<void(HANDLE event)>;

    explicit CSessionTransport(Waiter wait) : m_wait(std::move(wait)) {}

    bool Connect(const CHttpConnectParams &params) { return m_session.Connect(params); }
    CHttpSessionThread &Session() { return m_session; }
    // WinINet's error of the last failure, 0 when none.
    DWORD ErrorCode() const { return m_session.TransportError(); }

    std::unique_ptr<IHttpResponse> Send(const std::string &path, const std::string *body,
                                        const std::vector<std::string> &headers,
                                        std::string &error) override;

private:
    CHttpSessionThread m_session;
    Waiter m_wait;
};
