// corvimg: command-line front end of the image library.
#include "DitherCommand.h"
#include "JpegCommand.h"
#include "PdfCommand.h"
#include "ReadCommand.h"
#include "TiffCommand.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char **argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    // --repeat N: the command N times in one process, and the fastest wall
    // time printed; the benchmarks compare builds without timing how long a
    // process (or Wine) takes to start.
    int repeat = 0;
    if (args.size() >= 2 && args[0] == "--repeat") {
        repeat = std::atoi(args[1].c_str());
        if (repeat < 1 || repeat > 1000) {
            std::fprintf(stderr, "corvimg: --repeat takes 1 to 1000\n");
            return corvimg::kExitUsage;
        }
        args.erase(args.begin(), args.begin() + 2);
    }
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
                     "usage: corvimg [--repeat N] COMMAND ...\n"
                     "       corvimg tiff [options] OUT.tif IN.pnm [IN.pnm ...]\n"
                     "       corvimg jpeg [options] OUT.jpg IN.pnm\n"
                     "       corvimg pdf [options] OUT.pdf IN.pnm [IN.pnm ...]\n"
                     "       corvimg read IN.(tif|jpg|bmp) [OUT.pnm]\n"
                     "       corvimg dither [options] IN.pnm OUT.(pnm|bmp)\n");
        return corvimg::kExitUsage;
    }
    const std::vector<std::string> commandArgs(args.begin() + 1, args.end());
    std::string error;
    double fastest = 0;
    int status = corvimg::kExitOk;
    for (int i = 0; i < (repeat ? repeat : 1) && status == corvimg::kExitOk; ++i) {
        const auto start = std::chrono::steady_clock::now();
        status = run(commandArgs, error);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (i == 0 || took.count() < fastest)
            fastest = took.count();
    }
    if (status != corvimg::kExitOk)
        std::fprintf(stderr, "corvimg: %s\n", error.c_str());
    else if (repeat)
        std::printf("%.4f\n", fastest);
    return status;
}
