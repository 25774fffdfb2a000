// corvimg: command-line front end of the image library.
#include "DitherCommand.h"
#include "JpegCommand.h"
#include "PdfCommand.h"
#include "ReadCommand.h"
#include "TiffCommand.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char **argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    using Command = int (*)(const std::vector<std::string> &, std::string &);
    Command run = nullptr;
    if (!args.empty() && args[0] == "tiff")
        run = corvimg::RunTiff;
    else if (!args.empty() && args[0] == "jpeg")
        run = corvimg::RunJpeg;
    else if (!args.empty() && args[0] == "pdf")
        run = corvimg::RunPdf;
    else if (!args.empty() && args[0] == "read")
        run = corvimg::RunRead;
    else if (!args.empty() && args[0] == "dither")
        run = corvimg::RunDither;
    if (!run) {
        std::fprintf(stderr,
                     "usage: corvimg tiff [options] OUT.tif IN.pnm [IN.pnm ...]\n"
                     "       corvimg jpeg [options] OUT.jpg IN.pnm\n"
                     "       corvimg pdf [options] OUT.pdf IN.pnm [IN.pnm ...]\n"
                     "       corvimg read IN.(tif|jpg|bmp) [OUT.pnm]\n"
                     "       corvimg dither [options] IN.pnm OUT.(pnm|bmp)\n");
        return corvimg::kExitUsage;
    }
    std::string error;
    int status = run({args.begin() + 1, args.end()}, error);
    if (status != corvimg::kExitOk)
        std::fprintf(stderr, "corvimg: %s\n", error.c_str());
    return status;
}
