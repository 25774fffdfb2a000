// HTTP for the scan engine on libcurl. One connection is kept alive from
// command to command; image bytes are handed on as they arrive.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Transport.h"

typedef void CURL;
typedef void CURLM;

class CCurlTransport : public ITransport {
public:
    // baseUrl: "http://host:port" (a trailing slash is dropped). A peer that
    // sends nothing for stallSeconds is given up.
    explicit CCurlTransport(const std::string &baseUrl, long connectTimeoutMs = 10000,
                            long stallSeconds = 60);
    ~CCurlTransport() override;
    CCurlTransport(const CCurlTransport &) = delete;
    CCurlTransport &operator=(const CCurlTransport &) = delete;

    std::unique_ptr<IHttpResponse> Send(const std::string &path, const std::string *body,
                                        const std::vector<std::string> &headers,
                                        std::string &error) override;

private:
    std::string m_base;
    long m_connectTimeoutMs;
    long m_stallSeconds;
    CURLM *m_multi = nullptr;
    CURL *m_easy = nullptr;
};
