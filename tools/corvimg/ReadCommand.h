#pragma once
// corvimg read: opens a BMP, TIFF or JPEG file with the library's readers,
// prints the fields they fill and writes the pixels as PNM.
#include <string>
#include <vector>

namespace corvimg {

int RunRead(const std::vector<std::string> &args, std::string &error);

}  // namespace corvimg
