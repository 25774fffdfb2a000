#pragma once
// Runs the independent decoders (libtiff's tools, ImageMagick) from native
// tests and collects their output.
#include "TempPath.h"

#include <cstdlib>
#include <string>

namespace corv::test {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string ReadText(const std::string &path) {
    auto bytes = ReadAll(path);
    return std::string(bytes.begin(), bytes.end());
}

inline ToolRun RunTool(const std::string &command) {
    ScopedPath out("tool.out"), err("tool.err");
    ToolRun r;
    r.status = std::system((command + " >" + out.path + " 2>" + err.path).c_str());
    r.out = ReadText(out.path);
    r.err = ReadText(err.path);
    return r;
}

inline std::string Quote(const std::string &s) {
    return "'" + s + "'";
}

}  // namespace corv::test
