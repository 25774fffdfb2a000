// corvimg: command-line front end of the image library.
#include "TiffCommand.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char **argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] != "tiff") {
        std::fprintf(stderr, "usage: corvimg tiff [options] OUT.tif IN.pnm [IN.pnm ...]\n");
        return corvimg::kExitUsage;
    }
    std::string error;
    int status = corvimg::RunTiff({args.begin() + 1, args.end()}, error);
    if (status != corvimg::kExitOk)
        std::fprintf(stderr, "corvimg: %s\n", error.c_str());
    return status;
}
