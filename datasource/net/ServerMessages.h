// Which message the user sees for a server answer: the progress dialog's
// status line while a command is retried, and the error box when a job
// fails. The choice is made on numbers only; the texts come from the
// string table through IStringSource, so the rules are testable anywhere.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "ServerReply.h"
#include "StringSource.h"

using CMessageArg = std::variant<int32_t, std::wstring>;

// printf-style formatting of a string-table text with a fixed argument
// list, safe whatever conversions the text holds: %d/%i/%u/%x take an
// integer, %s a text (an integer given to %s prints nothing, which is what
// the "%0.0s%d" texts rely on), %% a percent sign; a conversion without an
// argument prints nothing.
std::wstring FormatMessageText(const std::wstring &format, const std::vector<CMessageArg> &args);

namespace msgid {
constexpr uint32_t kServerError = 22;  // "...（%d、%d)"
constexpr uint32_t kServerNotRunning = 24;
constexpr uint32_t kTransportGeneric = 22000;
constexpr uint32_t kUnsupportedServers = 22032;
constexpr uint32_t kUnsupportedServer = 22033;
constexpr uint32_t kNoScannerSelected = 22035;
constexpr uint32_t kScannerPower = 22036;
constexpr uint32_t kNoMemory = 22045;
constexpr uint32_t kAuthAtDevice = 22051;
constexpr uint32_t kCancelledAtServer = 32768;
constexpr uint32_t kDataCountMismatch = 452;
constexpr int32_t kFeederEmpty = 16409;
constexpr int32_t kResultNoMessage = 16407;
}  // namespace msgid

// The status line for the last reply: the first line of the result's own
// text, the not-running text, or the generic error with the two numbers.
std::wstring ChooseStatusLine(const CServerReply &reply, const IStringSource &strings);

// Job results as the data source keeps them.
enum EJobResult : int32_t {
    JOB_OK = 0,
    JOB_CANCELLED = 1,
    JOB_FILE_ERROR = 2,
    JOB_COMM_ERROR = 3,
    JOB_SERVER_ERROR = 4,
    JOB_UNSUPPORTED_SERVERS = 5,
    JOB_UNSUPPORTED_SERVER = 6,
    JOB_NO_SCANNER_SELECTED = 7,
    JOB_SCANNER_POWER = 8,
    JOB_NO_MEMORY = 9,
    JOB_AUTH_AT_DEVICE = 10,
};

struct CErrorBoxInput {
    int32_t jobResult = JOB_OK;
    uint32_t transportError = 0;  // WinINet error code, 0 for none
    CServerReply reply;
    std::wstring serverName1, serverName2;  // for result 5
};

// The error box text for a failed job; empty when nothing is shown.
std::wstring ChooseErrorBoxText(const CErrorBoxInput &in, const IStringSource &strings);
