#pragma once
// `corvimg pdf`: writes one PDF page per PNM input through CImgToPDF, with
// the scan utility's PDF options.
#include <string>
#include <vector>

namespace corvimg {

int RunPdf(const std::vector<std::string> &args, std::string &error);

}  // namespace corvimg
