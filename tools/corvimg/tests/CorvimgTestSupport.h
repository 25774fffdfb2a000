#pragma once
// Shared by the corvimg tests: running the tool and writing PNM inputs.
#include "../../../imagelib/tests/ExternalTools.h"
#include "../../../imagelib/tests/TempPath.h"

#include <sys/wait.h>

#include <string>
#include <vector>

namespace corv::test {

inline const std::string kTool = CORVIMG_PATH;

inline int Corvimg(const std::string &args, std::string *err = nullptr) {
    ToolRun r = RunTool(kTool + " " + args);
    if (err)
        *err = r.err;
    return WEXITSTATUS(r.status);
}

inline void WritePnm(const std::string &path, const std::string &magic, int w, int h,
                     const std::vector<uint8_t> &pixels) {
    std::string head = magic + "\n# test\n" + std::to_string(w) + " " + std::to_string(h) + "\n" +
                       (magic == "P4" ? "" : "255\n");
    std::vector<uint8_t> bytes(head.begin(), head.end());
    bytes.insert(bytes.end(), pixels.begin(), pixels.end());
    WriteAll(path, bytes);
}

inline std::vector<uint8_t> Pattern(size_t n, int seed) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>((i * 2654435761u + seed) >> 13);
    return v;
}

}  // namespace corv::test
