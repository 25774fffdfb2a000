#include "ServerReply.h"

#include <limits>

#include "CommandBody.h"

namespace {

std::string_view TrimKey(std::string_view key) {
    // A key read byte by byte starts after the previous line's end.
    while (!key.empty() && (key.front() == '\r' || key.front() == '\n'))
        key.remove_prefix(1);
    return key;
}

}  // namespace

int32_t ParseLeadingInt(std::string_view v) {
    size_t i = 0;
    while (i < v.size() && (v[i] == ' ' || v[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < v.size() && (v[i] == '-' || v[i] == '+'))
        negative = v[i++] == '-';
    int64_t n = 0;
    const int64_t limit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i) {
        n = n * 10 + (v[i] - '0');
        if (n > limit)
            n = limit;
    }
    if (negative)
        return static_cast<int32_t>(-n);
    return static_cast<int32_t>(
        n > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max() : n);
}

uint32_t KeysOf(const char *command) {
    using namespace ykey;
    const uint32_t common = kResult | kStatus | kRecover;
    const std::string_view c = command;
    if (c == cmd::kBeginJob)
        return common | kSession | kScanAuthentic | kDadf;
    if (c == cmd::kReadyBeginJob)
        return common | kReady;
    if (c == cmd::kReadyScanPage)
        return common | kReady | kColorMode | kPixelWidth | kPixelHeight;
    if (c == cmd::kBeginGetImage)
        return common | kRowBytes;
    if (c == cmd::kGetImage)
        return common | kDataByte;
    return common;
}

void CServerReply::Apply(std::string_view key, std::string_view value, uint32_t keys) {
    struct Field {
        const char *name;
        uint32_t bit;
        int32_t CServerReply::*member;
    };
    static const Field kFields[] = {
        {"Y_RESULT", ykey::kResult, &CServerReply::result},
        {"Y_STATUS", ykey::kStatus, &CServerReply::status},
        {"Y_RECOVER", ykey::kRecover, &CServerReply::recover},
        {"Y_SESSION", ykey::kSession, &CServerReply::session},
        {"Y_SCAN_AUTHENTIC", ykey::kScanAuthentic, &CServerReply::scanAuthentic},
        {"Y_DADF", ykey::kDadf, &CServerReply::dadf},
        {"Y_READY", ykey::kReady, &CServerReply::ready},
        {"Y_COLOR_MODE", ykey::kColorMode, &CServerReply::colorMode},
        {"Y_PIXEL_WIDTH", ykey::kPixelWidth, &CServerReply::pixelWidth},
        {"Y_PIXEL_HEIGHT", ykey::kPixelHeight, &CServerReply::pixelHeight},
        {"Y_ROWBYTES", ykey::kRowBytes, &CServerReply::rowBytes},
        {"Y_DATA_BYTE", ykey::kDataByte, &CServerReply::dataByte},
    };
    for (const Field &f : kFields) {
        if (key == f.name) {
            if (keys & f.bit)
                this->*f.member = ParseLeadingInt(value);
            return;
        }
    }
}

void ParseReplyText(std::string_view text, CServerReply &reply, const char *command) {
    const uint32_t keys = KeysOf(command);
    if (keys & ykey::kSession)
        reply.session = -1;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            continue;
        reply.Apply(line.substr(0, eq), line.substr(eq + 1), keys);
    }
}

size_t CImageReplyReader::Feed(const char *data, size_t size) {
    size_t used = 0;
    while (used < size && m_state == State::Keys) {
        char c = data[used++];
        if (!m_inValue) {
            if (c == '=') {
                std::string_view key = TrimKey(m_key);
                if (key == "Y_IMAGE_DATA") {
                    m_state = State::ImageData;
                    break;
                }
                m_key.assign(key);
                m_inValue = true;
            } else if (m_key.size() < kMaxField) {
                m_key += c;
            } else {
                m_state = State::Malformed;
            }
        } else if (c == '\n') {
            m_reply.Apply(m_key, m_value, KeysOf(cmd::kGetImage));
            m_key.clear();
            m_value.clear();
            m_inValue = false;
        } else if (m_value.size() < kMaxField) {
            m_value += c;
        } else {
            m_state = State::Malformed;
        }
    }
    return used;
}
