#include "HeartBeatHttpSession.h"

#include "CommandBody.h"
#include "WinInetTransport.h"

CHeartBeatHttpSession::CHeartBeatHttpSession(const CHttpConnectParams &params,
                                             const std::string &language)
    : CJobHeartBeat([params] { return std::make_unique<CWinInetTransport>(params, "HTTP/1.0"); },
                    CommandHeaderLines(language)) {}
