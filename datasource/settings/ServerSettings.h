// Connection data of the scan server, edited by the server dialog and kept
// in PrivteSettings.Ini. Texts are in the system ANSI code page.
#pragma once

#include <cstdint>
#include <string>

struct CServerSettings {
    std::string Server;
    std::string ProxyName;
    std::string ProxyPort;
    std::string UserName;
    std::string Password;  // in clear here, scrambled in the file
    int32_t Timeout = 0;
    int32_t EnableProxy = 0;
    int32_t EnableAuth = 0;

    bool operator==(const CServerSettings &) const = default;
};
