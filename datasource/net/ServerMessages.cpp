#include "ServerMessages.h"

#include <cwchar>

namespace {

bool IsStringId(int32_t value) {
    return value > 0 && value <= 0xffff;
}

// An empty text counts as no entry: the table holds no empty strings.
bool LoadId(const IStringSource &s, int32_t id, std::wstring &text) {
    if (!IsStringId(id))
        return false;
    text = s.Load(static_cast<unsigned>(id));
    return !text.empty();
}

std::wstring Load(const IStringSource &s, uint32_t id) {
    return s.Load(id);
}

std::wstring FirstLine(const std::wstring &text) {
    return text.substr(0, text.find(L'\n'));
}

void AppendInt(std::wstring &out, const CMessageArg *arg, wchar_t conv, const std::wstring &field) {
    const int32_t *n = arg ? std::get_if<int32_t>(arg) : nullptr;
    if (!n)
        return;
    // Width and precision come from our own string table, but are bounded
    // anyway so that no text can ask for an enormous field.
    if (field.size() > 8)
        return;
    std::wstring f = L"%" + field + (conv == L'i' ? L'd' : conv);
    wchar_t buf[128];
    if (std::swprintf(buf, 128, f.c_str(), *n) > 0)
        out += buf;
}

void AppendText(std::wstring &out, const CMessageArg *arg, int precision) {
    const std::wstring *t = arg ? std::get_if<std::wstring>(arg) : nullptr;
    if (!t)
        return;
    out += precision >= 0 ? t->substr(0, static_cast<size_t>(precision)) : *t;
}

}  // namespace

std::wstring FormatMessageText(const std::wstring &format, const std::vector<CMessageArg> &args) {
    std::wstring out;
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        wchar_t c = format[i];
        if (c != L'%' || i + 1 >= format.size()) {
            out += c;
            continue;
        }
        if (format[i + 1] == L'%') {
            out += L'%';
            ++i;
            continue;
        }
        // Flags, width and precision, then the conversion letter.
        size_t j = i + 1;
        while (j < format.size() && std::wcschr(L"-+ #0123456789.", format[j]))
            ++j;
        if (j >= format.size()) {
            out += format.substr(i);
            break;
        }
        std::wstring field = format.substr(i + 1, j - i - 1);
        wchar_t conv = format[j];
        const CMessageArg *arg = next < args.size() ? &args[next] : nullptr;
        if (std::wcschr(L"diuxX", conv)) {
            AppendInt(out, arg, conv, field);
            ++next;
        } else if (conv == L's' || conv == L'S') {
            size_t dot = field.find(L'.');
            int precision =
                dot == std::wstring::npos ? -1 : std::wcstol(field.c_str() + dot + 1, nullptr, 10);
            AppendText(out, arg, precision);
            ++next;
        } else {
            out += format.substr(i, j - i + 1);
        }
        i = j;
    }
    return out;
}

std::wstring ChooseStatusLine(const CServerReply &reply, const IStringSource &strings) {
    std::wstring text;
    if (LoadId(strings, reply.result, text))
        return FirstLine(text);
    if (reply.result == -1 && reply.status == -195)
        return Load(strings, msgid::kServerNotRunning);
    return FormatMessageText(Load(strings, msgid::kServerError), {reply.result, reply.status});
}

namespace {

uint32_t TransportTextId(uint32_t error) {
    switch (error) {
        case 12002:
        case 12005:
        case 12007:
        case 12020:
        case 12023:
        case 12029:
        case 12030:
        case 12031:
            return 10000 + error;
        default:
            return msgid::kTransportGeneric;
    }
}

std::wstring ServerAnswerText(const CErrorBoxInput &in, const IStringSource &strings) {
    const CServerReply &r = in.reply;
    if (r.result == 0 || r.result == msgid::kResultNoMessage) {
        if (in.transportError == 0)
            return std::wstring();
        return FormatMessageText(Load(strings, TransportTextId(in.transportError)),
                                 {static_cast<int32_t>(in.transportError)});
    }
    if (r.result == msgid::kFeederEmpty && r.recover == 1)
        return std::wstring();
    if (r.result == -1 && r.status == -197)
        return Load(strings, msgid::kCancelledAtServer);
    if (r.result == -1 && r.status == -195)
        return Load(strings, msgid::kServerNotRunning);
    std::wstring text;
    if (!LoadId(strings, r.result, text) &&
        !LoadId(strings, static_cast<int32_t>(static_cast<uint32_t>(r.result) | 0x8000u), text))
        text = Load(strings, msgid::kServerError);
    return FormatMessageText(text, {r.result, r.status});
}

}  // namespace

std::wstring ChooseErrorBoxText(const CErrorBoxInput &in, const IStringSource &strings) {
    switch (in.jobResult) {
        case JOB_UNSUPPORTED_SERVERS:
            return FormatMessageText(Load(strings, msgid::kUnsupportedServers),
                                     {in.serverName1, in.serverName2});
        case JOB_UNSUPPORTED_SERVER:
            return Load(strings, msgid::kUnsupportedServer);
        case JOB_NO_SCANNER_SELECTED:
            return Load(strings, msgid::kNoScannerSelected);
        case JOB_SCANNER_POWER:
            return Load(strings, msgid::kScannerPower);
        case JOB_NO_MEMORY:
            return Load(strings, msgid::kNoMemory);
        case JOB_AUTH_AT_DEVICE:
            return Load(strings, msgid::kAuthAtDevice);
        default:
            return ServerAnswerText(in, strings);
    }
}
