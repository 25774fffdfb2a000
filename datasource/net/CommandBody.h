// Bodies and headers of the scan server's commands. Every command is one
// form-encoded POST; only the user name and password are escaped, every
// other value goes out exactly as formatted here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "FormEscaper.h"
#include "ScanRequestParams.h"

namespace cmd {
constexpr const char kBeginJob[] = "BEGIN_JOB";
constexpr const char kReadyBeginJob[] = "READY_BEGIN_JOB";
constexpr const char kCancelBeginJob[] = "CANCEL_BEGIN_JOB";
constexpr const char kBeginScanPage[] = "BEGIN_SCANPAGE";
constexpr const char kReadyScanPage[] = "READY_SCANPAGE";
constexpr const char kCancelScanPage[] = "CANCEL_SCANPAGE";
constexpr const char kBeginGetImage[] = "BEGIN_GET_IMAGE";
constexpr const char kGetImage[] = "GET_IMAGE";
constexpr const char kCancelGetImage[] = "CANCEL_GET_IMAGE";
constexpr const char kEndJob[] = "END_JOB";
constexpr const char kHeartBeatJob[] = "HEART_BEAT_JOB";
}  // namespace cmd

// clientSystem is the text of FormatClientSystemText; userName and
// password are in the system ANSI code page and are escaped here.
std::string BuildBeginJobBody(const CScanRequestParams &params, const std::string &clientSystem,
                              const std::string &userName, const std::string &password,
                              const CLeadByteTable &leads);

// "X_PROTOCOL=120&X_COMMAND=<name>&X_SESSION=<id>": every command of a job
// but BEGIN_JOB and GET_IMAGE.
std::string BuildSessionCommandBody(const char *command, int32_t session);

std::string BuildGetImageBody(int32_t session, int32_t startByte, int32_t requireByte);

// The header block of every command request; language is resource
// string 19 ("Japanese"). The misspelt pragma is what servers have always
// received and is kept.
std::string BuildCommandHeaders(const std::string &language);
// The same block as separate lines, for transports that take them so.
std::vector<std::string> CommandHeaderLines(const std::string &language);

// Object of the path file and the command program's name after CGI_PATH.
constexpr const char kWebPathObject[] = "CV_WebPath.txt";
constexpr const char kCommandProgram[] = "scanner.dll";

// Reads the first line of CV_WebPath.txt; returns the command path or an
// empty text when the line is not a CGI_PATH line.
std::string CommandPathFromWebPath(const std::string &fileText);
