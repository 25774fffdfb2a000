#include "CurlTransport.h"

#include <curl/curl.h>

#include <cstring>
#include <mutex>

namespace {

void GlobalInitOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// One open request: the transfer runs inside Read and while the head is
// awaited, so bytes are only taken from the socket as fast as the caller
// consumes them.
class CCurlResponse : public IHttpResponse {
public:
    CCurlResponse(CURLM *multi, CURL *easy) : m_multi(multi), m_easy(easy) {}
    ~CCurlResponse() override {
        // An unfinished transfer closes its connection here; the next
        // request opens a new one.
        curl_multi_remove_handle(m_multi, m_easy);
        curl_slist_free_all(m_headers);
    }

    bool Start(const std::string &url, const std::string *body,
               const std::vector<std::string> &headers) {
        curl_easy_setopt(m_easy, CURLOPT_URL, url.c_str());
        if (body) {
            curl_easy_setopt(m_easy, CURLOPT_POST, 1L);
            curl_easy_setopt(m_easy, CURLOPT_POSTFIELDSIZE, static_cast<long>(body->size()));
            curl_easy_setopt(m_easy, CURLOPT_COPYPOSTFIELDS, body->c_str());
        } else {
            curl_easy_setopt(m_easy, CURLOPT_HTTPGET, 1L);
        }
        for (const std::string &h : headers)
            m_headers = curl_slist_append(m_headers, h.c_str());
        // The server answers at once; waiting for a 100 would only add a delay.
        m_headers = curl_slist_append(m_headers, "Expect:");
        curl_easy_setopt(m_easy, CURLOPT_HTTPHEADER, m_headers);
        curl_easy_setopt(m_easy, CURLOPT_WRITEFUNCTION, &CCurlResponse::OnBody);
        curl_easy_setopt(m_easy, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(m_easy, CURLOPT_HEADERFUNCTION, &CCurlResponse::OnHeader);
        curl_easy_setopt(m_easy, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(m_easy, CURLOPT_ERRORBUFFER, m_errorBuffer);
        m_errorBuffer[0] = 0;
        if (curl_multi_add_handle(m_multi, m_easy) != CURLM_OK) {
            m_error = "cannot start the request";
            return false;
        }
        while (!m_headDone && !m_done)
            Pump();
        if (!m_headDone) {
            SetErrorFromResult();
            return false;
        }
        return true;
    }

    long Status() const override { return m_status; }
    const std::string &Error() const override { return m_error; }

    long Read(char *data, size_t size) override {
        while (m_pos == m_buffer.size() && !m_done)
            Pump();
        const size_t available = m_buffer.size() - m_pos;
        if (available == 0) {
            if (m_result == CURLE_OK)
                return 0;
            SetErrorFromResult();
            return -1;
        }
        const size_t n = available < size ? available : size;
        std::memcpy(data, m_buffer.data() + m_pos, n);
        m_pos += n;
        if (m_pos == m_buffer.size()) {
            m_buffer.clear();
            m_pos = 0;
        }
        return static_cast<long>(n);
    }

private:
    static size_t OnBody(char *data, size_t, size_t n, void *self) {
        static_cast<CCurlResponse *>(self)->m_buffer.append(data, n);
        return n;
    }
    static size_t OnHeader(char *data, size_t, size_t n, void *self) {
        auto *r = static_cast<CCurlResponse *>(self);
        if (n == 2 && data[0] == '\r' && data[1] == '\n') {
            long code = 0;
            curl_easy_getinfo(r->m_easy, CURLINFO_RESPONSE_CODE, &code);
            // An interim 1xx head is followed by the real one.
            if (code >= 200) {
                r->m_status = code;
                r->m_headDone = true;
            }
        }
        return n;
    }

    void Pump() {
        const size_t before = m_buffer.size();
        const bool headBefore = m_headDone;
        int running = 0;
        curl_multi_perform(m_multi, &running);
        int left = 0;
        while (CURLMsg *msg = curl_multi_info_read(m_multi, &left)) {
            if (msg->msg == CURLMSG_DONE && msg->easy_handle == m_easy) {
                m_done = true;
                m_result = msg->data.result;
            }
        }
        // Nothing new: wait for the socket rather than spin.
        if (!m_done && m_buffer.size() == before && m_headDone == headBefore)
            curl_multi_poll(m_multi, nullptr, 0, 200, nullptr);
    }

    void SetErrorFromResult() {
        m_error = m_errorBuffer[0] ? m_errorBuffer : curl_easy_strerror(m_result);
    }

    CURLM *m_multi;
    CURL *m_easy;
    curl_slist *m_headers = nullptr;
    std::string m_buffer;
    size_t m_pos = 0;
    long m_status = 0;
    bool m_headDone = false;
    bool m_done = false;
    CURLcode m_result = CURLE_OK;
    std::string m_error;
    char m_errorBuffer[CURL_ERROR_SIZE];
};

}  // namespace

CCurlTransport::CCurlTransport(const std::string &baseUrl, long connectTimeoutMs, long stallSeconds)
    : m_base(baseUrl), m_connectTimeoutMs(connectTimeoutMs), m_stallSeconds(stallSeconds) {
    while (!m_base.empty() && m_base.back() == '/')
        m_base.pop_back();
    GlobalInitOnce();
    m_multi = curl_multi_init();
    m_easy = curl_easy_init();
}

CCurlTransport::~CCurlTransport() {
    if (m_easy)
        curl_easy_cleanup(m_easy);
    if (m_multi)
        curl_multi_cleanup(m_multi);
}

std::unique_ptr<IHttpResponse> CCurlTransport::Send(const std::string &path,
                                                    const std::string *body,
                                                    const std::vector<std::string> &headers,
                                                    std::string &error) {
    if (!m_multi || !m_easy) {
        error = "libcurl could not be initialised";
        return nullptr;
    }
    // Options of the previous request are not carried over, the open
    // connection is.
    curl_easy_reset(m_easy);
    curl_easy_setopt(m_easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(m_easy, CURLOPT_CONNECTTIMEOUT_MS, m_connectTimeoutMs);
    curl_easy_setopt(m_easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(m_easy, CURLOPT_LOW_SPEED_TIME, m_stallSeconds);
    curl_easy_setopt(m_easy, CURLOPT_TCP_KEEPALIVE, 1L);
    curl_easy_setopt(m_easy, CURLOPT_PROTOCOLS_STR, "http,https");
    auto response = std::make_unique<CCurlResponse>(m_multi, m_easy);
    const std::string slash = !path.empty() && path[0] == '/' ? "" : "/";
    if (!response->Start(m_base + slash + path, body, headers)) {
        error = response->Error();
        return nullptr;
    }
    return response;
}
