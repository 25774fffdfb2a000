#include "SimulatorClient.h"

#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct CNetHandle {
    HINTERNET h;
    ~CNetHandle() {
        if (h)
            InternetCloseHandle(h);
    }
};

std::string JsonQuote(const std::string &s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

uint16_t ReadPort(const char *file) {
    FILE *f = std::fopen(file, "r");
    if (!f)
        return 0;
    int port = 0;
    if (std::fscanf(f, "%d", &port) != 1)
        port = 0;
    std::fclose(f);
    return static_cast<uint16_t>(port);
}

}  // namespace

uint16_t CSimulatorClient::Port() {
    return ReadPort(CORV_SIM_PORT_FILE);
}

uint16_t CSimulatorClient::ProxyPort() {
    return ReadPort(CORV_SIM_PROXY_PORT_FILE);
}

std::string CSimulatorClient::Http(const char *verb, const std::string &path,
                                   const std::string &body, unsigned *status) {
    CNetHandle inet{InternetOpenA("corv-test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0)};
    CNetHandle conn{InternetConnectA(inet.h, "127.0.0.1", Port(), nullptr, nullptr,
                                     INTERNET_SERVICE_HTTP, 0, 0)};
    CNetHandle req{HttpOpenRequestA(conn.h, verb, path.c_str(), nullptr, nullptr, nullptr,
                                    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0)};
    std::string out;
    if (!req.h)
        return out;
    const char *headers = "Content-Type: application/json\r\n";
    if (!HttpSendRequestA(req.h, headers, static_cast<DWORD>(-1), const_cast<char *>(body.data()),
                          static_cast<DWORD>(body.size())))
        return out;
    if (status) {
        DWORD code = 0, len = sizeof code;
        HttpQueryInfoA(req.h, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &len,
                       nullptr);
        *status = code;
    }
    char buf[65536];
    DWORD got = 0;
    while (InternetReadFile(req.h, buf, sizeof buf, &got) && got > 0)
        out.append(buf, got);
    return out;
}

bool CSimulatorClient::SetScenario(const std::vector<std::string> &args) {
    std::string json = "{\"args\": [";
    for (size_t i = 0; i < args.size(); ++i)
        json += (i ? ", " : "") + JsonQuote(args[i]);
    json += "]}";
    unsigned status = 0;
    Http("POST", "/__control/scenario", json, &status);
    Http("DELETE", "/__control/requests", std::string());
    return status == 200;
}

std::string CSimulatorClient::State() {
    return Http("GET", "/__control/state", std::string());
}

bool CSimulatorClient::JobOpen(int session) {
    const std::string state = State();
    size_t begin = state.find("\"open_jobs\": [");
    if (begin == std::string::npos)
        return false;
    size_t end = state.find(']', begin);
    std::string list = state.substr(begin + 14, end - begin - 14);
    for (char &c : list)
        if (c < '0' || c > '9')
            c = ' ';
    const std::string token = " " + std::to_string(session) + " ";
    return (" " + list + " ").find(token) != std::string::npos;
}

std::string CSimulatorClient::Page(int session, int page) {
    char path[96];
    std::snprintf(path, sizeof path, "/__control/page?session=%d&page=%d", session, page);
    return Http("GET", path, std::string());
}

std::string CSimulatorClient::JsonString(const std::string &object, const char *field) {
    const std::string key = std::string("\"") + field + "\": \"";
    size_t i = object.find(key);
    if (i == std::string::npos)
        return std::string();
    std::string out;
    for (i += key.size(); i < object.size() && object[i] != '"'; ++i) {
        char c = object[i];
        if (c != '\\' || i + 1 >= object.size()) {
            out += c;
            continue;
        }
        char e = object[++i];
        switch (e) {
            case 'r':
                out += '\r';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'u':
                // The log stores bytes as latin-1 characters: \u00XX.
                out += static_cast<char>(std::strtol(object.substr(i + 1, 4).c_str(), nullptr, 16));
                i += 4;
                break;
            default:
                out += e;
                break;
        }
    }
    return out;
}

bool CSimulatorClient::SetProxyAuth(const std::string &auth) {
    unsigned status = 0;
    Http("POST", "/__control/proxy",
         "{\"auth\": " + (auth.empty() ? std::string("null") : JsonQuote(auth)) + "}", &status);
    Http("DELETE", "/__control/proxy/requests", std::string());
    return status == 200;
}

std::vector<CRecordedRequest> CSimulatorClient::Requests() {
    return Records(Http("GET", "/__control/requests", std::string()));
}

std::vector<CRecordedRequest> CSimulatorClient::ProxyRequests() {
    return Records(Http("GET", "/__control/proxy/requests", std::string()));
}

std::vector<CRecordedRequest> CSimulatorClient::Records(const std::string &json) {
    // A JSON array of records, each of which starts with its "seq" field.
    std::vector<CRecordedRequest> out;
    size_t pos = 0;
    while ((pos = json.find("\"seq\":", pos)) != std::string::npos) {
        size_t end = json.find("\"seq\":", pos + 1);
        std::string obj =
            json.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        CRecordedRequest r;
        r.method = JsonString(obj, "method");
        r.path = JsonString(obj, "path");
        r.version = JsonString(obj, "version");
        r.requestLine = JsonString(obj, "request_line");
        r.headRaw = JsonString(obj, "head_raw");
        r.body = JsonString(obj, "body");
        r.command = JsonString(obj, "command");
        const size_t status = obj.find("\"status\": ");
        if (status != std::string::npos)
            r.status = std::atoi(obj.c_str() + status + 10);
        out.push_back(r);
        pos = end == std::string::npos ? json.size() : end;
    }
    return out;
}
