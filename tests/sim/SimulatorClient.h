// Test-side access to the scan server simulator: its port, its scenario,
// and the requests it recorded (one JSON object per line); and the same for
// the proxy that runs beside it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CRecordedRequest {
    std::string method, path, version, requestLine, headRaw, body, command;
    int status = 0;  // what it was answered (0: not yet)
};

class CSimulatorClient {
public:
    static uint16_t Port();
    static uint16_t ProxyPort();

    // Replaces the whole scenario ({} = defaults) and forgets old requests.
    static bool SetScenario(const std::vector<std::string> &args);
    static std::vector<CRecordedRequest> Requests();
    // The proxy's Basic credentials "user:password" (empty: it asks for
    // none); forgets the proxy's old requests.
    static bool SetProxyAuth(const std::string &auth);
    static std::vector<CRecordedRequest> ProxyRequests();
    // Raw JSON of GET /__control/state.
    static std::string State();
    // Whether the server still holds the job of this session open.
    static bool JobOpen(int session);
    // The bytes of a page as the simulator sent them.
    static std::string Page(int session, int page);

    // Extracts a top-level string field from one JSON object of the log.
    static std::string JsonString(const std::string &object, const char *field);

private:
    static std::vector<CRecordedRequest> Records(const std::string &json);
    static std::string Http(const char *verb, const std::string &path, const std::string &body,
                            unsigned *status = nullptr);
};
