// The heartbeat of the data source's jobs: the engine's heartbeat on a
// WinINet connection of its own, with the proxy of the settings and its
// credentials, posting HTTP/1.0 as servers have always received it.
#pragma once

#include <string>

#include "InternetConnection.h"
#include "JobHeartBeat.h"

class CHeartBeatHttpSession : public CJobHeartBeat {
public:
    CHeartBeatHttpSession(const CHttpConnectParams &params, const std::string &language);
};
