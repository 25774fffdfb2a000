// Test-side access to the scan server simulator: its port, its scenario,
// and the requests it recorded (one JSON object per line).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CRecordedRequest {
    std::string method, path, version, headRaw, body, command;
};

class CSimulatorClient {
public:
    static uint16_t Port();

    // Replaces the whole scenario ({} = defaults) and forgets old requests.
    static bool SetScenario(const std::vector<std::string> &args);
    static std::vector<CRecordedRequest> Requests();
    // Raw JSON of GET /__control/state.
    static std::string State();
    // Whether the server still holds the job of this session open.
    static bool JobOpen(int session);
    // The bytes of a page as the simulator sent them.
    static std::string Page(int session, int page);

    // Extracts a top-level string field from one JSON object of the log.
    static std::string JsonString(const std::string &object, const char *field);

private:
    static std::string Http(const char *verb, const std::string &path, const std::string &body,
                            unsigned *status = nullptr);
};
