#include "SessionTransport.h"

namespace {

std::string DescribeError(DWORD code) {
    return "WinINet error " + std::to_string(code);
}

// The open request of the session; closing the answer closes it.
class CSessionResponse : public IHttpResponse {
public:
    CSessionResponse(CHttpSessionThread &session, long status)
        : m_session(session), m_status(status) {}
    ~CSessionResponse() override { m_session.CloseRequest(); }

    long Status() const override { return m_status; }

    long Read(char *data, size_t size) override {
        const DWORD want = size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size);
        const int n = m_session.ReadSome(data, want);
        if (n < 0)
            m_error = DescribeError(m_session.TransportError());
        return n;
    }

    const std::string &Error() const override { return m_error; }

private:
    CHttpSessionThread &m_session;
    long m_status;
    std::string m_error;
};

}  // namespace

std::unique_ptr<IHttpResponse> CSessionTransport::Send(const std::string &path,
                                                       const std::string *body,
                                                       const std::vector<std::string> &headers,
                                                       std::string &error) {
    std::string block;
    for (const std::string &line : headers)
        block += line + "\r\n";
    const char *verb = body ? "POST" : "GET";
    const std::string &content = body ? *body : std::string();
    DWORD status = 0;
    EPoll r;
    while ((r = m_session.Request(verb, path, content, block, status)) == EPoll::Pending)
        m_wait(m_session.DoneEvent());
    if (r == EPoll::Failed) {
        error = DescribeError(m_session.TransportError());
        return nullptr;
    }
    return std::make_unique<CSessionResponse>(m_session, static_cast<long>(status));
}
