#include "JpegCommand.h"

#include "ImgToJPEG.h"
#include "PageWriter.h"
#include "PnmReader.h"
#include "TiffCommand.h"

namespace corvimg {
namespace {

using namespace corv;

// The scan utility's option values: 4 is the finest preset, 1 the coarsest.
constexpr long kMaxQuality = 4;
constexpr int kDefaultQuality = 2;
// JFIF stores the density in 16 bits.
constexpr long kMaxDpi = 65535;

struct JpegArgs {
    int quality = kDefaultQuality;
    int dpi = kDefaultDpi;
    size_t chunk = kDefaultChunk;
    std::string out;
    std::vector<std::string> inputs;  // exactly one
};

const char kUsage[] =
    "usage: corvimg jpeg [--quality 1..4] [--dpi N] [--chunk BYTES] OUT.jpg IN.pnm";

bool ParseArgs(const std::vector<std::string> &args, JpegArgs &out, std::string &error) {
    PageArgs page;
    const ExtraOption quality{"--quality",
                              [&](const std::string &value) {
                                  long v = 0;
                                  if (!ParsePositive(value, kMaxQuality, v))
                                      return false;
                                  out.quality = static_cast<int>(v);
                                  return true;
                              },
                              "--quality wants 1, 2, 3 or 4"};
    if (!ParsePageArgs(args, quality, kMaxDpi, page, error))
        return false;
    out.dpi = page.dpi;
    out.chunk = page.chunk;
    const std::vector<std::string> &positional = page.positional;
    if (positional.size() != 2)
        return error = kUsage, false;
    out.out = positional[0];
    out.inputs.assign(positional.begin() + 1, positional.end());
    return true;
}

// The page is checked before the output is touched.
bool CheckPage(const JpegArgs &a, std::string &error) {
    const std::string &input = a.inputs[0];
    PnmReader pnm;
    if (!pnm.Open(input))
        return error = pnm.Error(), false;
    if (pnm.Format() == '4')
        return error = input + ": JPEG needs a gray (P5) or colour (P6) page", false;
    if (pnm.Width() > 65535 || pnm.Height() > 65535)
        return error = input + ": JPEG pages are at most 65535 pixels each way", false;
    return true;
}

}  // namespace

int RunJpeg(const std::vector<std::string> &args, std::string &error) {
    JpegArgs a;
    if (!ParseArgs(args, a, error) || !CheckPage(a, error))
        return kExitUsage;
    CJpegOption option;
    option.Quality = a.quality;
    CImgToJPEG writer;
    return WritePages(writer, option, a.out, a.inputs, a.dpi, a.chunk, error);
}

}  // namespace corvimg
