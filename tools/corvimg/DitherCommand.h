#pragma once
// corvimg dither: reduces a PNM page to bilevel or to a palette with any of
// the library's method codes, and writes it as PNM or BMP.
#include <string>
#include <vector>

namespace corvimg {

int RunDither(const std::vector<std::string> &args, std::string &error);

}  // namespace corvimg
