#include "CommandBody.h"

#include <cstdio>

namespace {

constexpr const char kPrefix[] = "X_PROTOCOL=120&X_COMMAND=";

void AppendInt(std::string &out, const char *key, int value) {
    out += key;
    out += '=';
    out += std::to_string(value);
    out += '&';
}

}  // namespace

std::string BuildBeginJobBody(const CScanRequestParams &params, const std::string &clientSystem,
                              const std::string &userName, const std::string &password,
                              const CLeadByteTable &leads) {
    std::string b = kPrefix;
    b += cmd::kBeginJob;
    b += "&X_CLIENT=2-" + clientSystem;
    b += "&X_USERNAME=" + EscapeFormValue(userName, leads);
    b += "&X_PASSWORD=" + EscapeFormValue(password, leads);
    b += '&';
    for (const auto &field : params.Fields())
        AppendInt(b, field.key, field.value);
    return b;
}

std::string BuildSessionCommandBody(const char *command, int32_t session) {
    return std::string(kPrefix) + command + "&X_SESSION=" + std::to_string(session);
}

std::string BuildGetImageBody(int32_t session, int32_t startByte, int32_t requireByte) {
    return BuildSessionCommandBody(cmd::kGetImage, session) +
           "&X_PLANE=0&X_START_BYTE=" + std::to_string(startByte) +
           "&X_REQUIRE_BYTE=" + std::to_string(requireByte);
}

std::string BuildCommandHeaders(const std::string &language) {
    return "Content-Type: application/x-www-form-urlencoded\r\nPragma: no-chace\r\n"
           "X-VELT-Language: " +
           language + "\r\n";
}

std::vector<std::string> CommandHeaderLines(const std::string &language) {
    const std::string block = BuildCommandHeaders(language);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = block.find("\r\n", start)) != std::string::npos; start = end + 2) {
        if (end > start)
            lines.push_back(block.substr(start, end - start));
    }
    return lines;
}

std::string CommandPathFromWebPath(const std::string &fileText) {
    std::string line = fileText.substr(0, fileText.find('\n'));
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    size_t eq = line.find('=');
    if (eq == std::string::npos || line.compare(0, eq, "CGI_PATH") != 0)
        return std::string();
    return line.substr(eq + 1) + kCommandProgram;
}
