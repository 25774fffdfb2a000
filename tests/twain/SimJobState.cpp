#include "SimJobState.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "SimulatorClient.h"

namespace {

// The state document is the simulator's indented JSON: every job object
// starts with its "session" key, and page records hold only scalars.
constexpr const char *kSessionKey = "\"session\": ";

std::optional<int64_t> NumberAfter(const std::string &text, size_t from, size_t to,
                                   const char *key) {
    const std::string pattern = std::string("\"") + key + "\": ";
    const size_t at = text.find(pattern, from);
    if (at == std::string::npos || at >= to)
        return std::nullopt;
    return std::strtoll(text.c_str() + at + pattern.size(), nullptr, 10);
}

std::vector<std::string> StringsOfArray(const std::string &text, size_t from, size_t to,
                                        const char *key) {
    std::vector<std::string> out;
    const std::string pattern = std::string("\"") + key + "\": [";
    size_t at = text.find(pattern, from);
    if (at == std::string::npos || at >= to)
        return out;
    const size_t end = text.find(']', at);
    for (at += pattern.size(); at < end;) {
        const size_t open = text.find('"', at);
        if (open == std::string::npos || open >= end)
            break;
        const size_t close = text.find('"', open + 1);
        out.push_back(text.substr(open + 1, close - open - 1));
        at = close + 1;
    }
    return out;
}

std::vector<SSimPageRecord> PagesOf(const std::string &text, size_t from, size_t to) {
    std::vector<SSimPageRecord> pages;
    const size_t list = text.find("\"pages\": [", from);
    if (list == std::string::npos || list >= to)
        return pages;
    // Page records may hold a list (the PNM files of a page source); the
    // next key of the job ends the list instead.
    const size_t end = std::min(text.find("\"heartbeats\": ", list), to);
    for (size_t at = text.find("\"number\": ", list); at < end;
         at = text.find("\"number\": ", at + 1)) {
        const size_t close = text.find('}', at);
        SSimPageRecord p;
        p.number = static_cast<int>(NumberAfter(text, at, close, "number").value_or(0));
        p.width = static_cast<int>(NumberAfter(text, at, close, "width").value_or(0));
        p.height = static_cast<int>(NumberAfter(text, at, close, "height").value_or(0));
        p.mode = static_cast<int>(NumberAfter(text, at, close, "mode").value_or(-1));
        p.dpi = static_cast<int>(NumberAfter(text, at, close, "dpi").value_or(0));
        p.stride = static_cast<int>(NumberAfter(text, at, close, "stride").value_or(0));
        p.bytes = NumberAfter(text, at, close, "bytes").value_or(0);
        pages.push_back(p);
    }
    return pages;
}

}  // namespace

std::optional<CSimJobState> CSimJobState::Parse(const std::string &state, int session) {
    const std::string key = kSessionKey + std::to_string(session) + ",";
    const size_t begin = state.find(key);
    if (begin == std::string::npos)
        return std::nullopt;
    size_t end = state.find(kSessionKey, begin + 1);
    if (end == std::string::npos)
        end = state.size();
    CSimJobState job;
    job.session = session;
    const size_t openAt = state.find("\"open\": ", begin);
    job.open = openAt < end && state.compare(openAt + 8, 4, "true") == 0;
    const size_t closedBy = state.find("\"closed_by\": \"", begin);
    if (closedBy < end) {
        const size_t from = closedBy + 14;
        job.closedBy = state.substr(from, state.find('"', from) - from);
    }
    job.commands = StringsOfArray(state, begin, end, "commands");
    job.pages = PagesOf(state, begin, end);
    return job;
}

std::optional<CSimJobState> CSimJobState::Of(int session) {
    return Parse(CSimulatorClient::State(), session);
}

int CSimJobState::LastSession() {
    const std::string state = CSimulatorClient::State();
    int last = 0;
    for (size_t at = state.find(kSessionKey); at != std::string::npos;
         at = state.find(kSessionKey, at + 1))
        last = std::max(last, std::atoi(state.c_str() + at + std::strlen(kSessionKey)));
    return last;
}
