#include "WinInetTransport.h"

#include <wininet.h>

#include "InternetHandle.h"

namespace {

std::string DescribeError(DWORD code) {
    return "WinINet error " + std::to_string(code);
}

DWORD LastErrorOr(DWORD fallback) {
    const DWORD e = GetLastError();
    return e != 0 ? e : fallback;
}

class CWinInetResponse : public IHttpResponse {
public:
    CWinInetResponse(CInternetHandle request, long status)
        : m_request(std::move(request)), m_status(status) {}

    long Status() const override { return m_status; }

    long Read(char *data, size_t size) override {
        DWORD got = 0;
        const DWORD want = size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size);
        if (!InternetReadFile(m_request.Get(), data, want, &got)) {
            m_error = DescribeError(LastErrorOr(ERROR_INTERNET_INTERNAL_ERROR));
            return -1;
        }
        return static_cast<long>(got);
    }

    const std::string &Error() const override { return m_error; }

private:
    CInternetHandle m_request;
    long m_status;
    std::string m_error;
};

}  // namespace

CWinInetTransport::CWinInetTransport(const CHttpConnectParams &params, const char *commandVersion)
    : m_commandVersion(commandVersion), m_openError(m_net.Open(params)) {}

std::unique_ptr<IHttpResponse> CWinInetTransport::Send(const std::string &path,
                                                       const std::string *body,
                                                       const std::vector<std::string> &headers,
                                                       std::string &error) {
    if (m_openError != 0) {
        error = DescribeError(m_openError);
        return nullptr;
    }
    std::string block;
    for (const std::string &line : headers)
        block += line + "\r\n";
    CInternetHandle request(
        m_net.OpenRequest(body ? "POST" : "GET", path, body ? m_commandVersion : nullptr));
    if (!request || !m_net.Send(request.Get(), block, body ? *body : std::string())) {
        error = DescribeError(LastErrorOr(ERROR_INTERNET_INTERNAL_ERROR));
        return nullptr;
    }
    DWORD status = 0, len = sizeof status;
    if (!HttpQueryInfoA(request.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                        &len, nullptr) ||
        status == 0) {
        // A connection closed without an HTTP answer.
        error = DescribeError(ERROR_INTERNET_CONNECTION_ABORTED);
        return nullptr;
    }
    return std::make_unique<CWinInetResponse>(std::move(request), static_cast<long>(status));
}
