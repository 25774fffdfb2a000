#pragma once
// `corvimg jpeg`: writes one PNM page as a baseline JFIF file through
// CImgToJPEG, with the scan utility's quality values.
#include <string>
#include <vector>

namespace corvimg {

int RunJpeg(const std::vector<std::string> &args, std::string &error);

}  // namespace corvimg
