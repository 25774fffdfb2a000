#pragma once
// `corvimg tiff`: writes one TIFF page per PNM input through CImgToTIFF2.
#include <string>
#include <vector>

namespace corvimg {

// Exit statuses of the tool.
enum : int { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

int RunTiff(const std::vector<std::string> &args, std::string &error);

}  // namespace corvimg
