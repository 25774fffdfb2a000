#include "PdfCommand.h"

#include "ImgToPDF.h"
#include "PageWriter.h"
#include "PdfOption.h"
#include "PnmReader.h"
#include "TiffCommand.h"

namespace corvimg {
namespace {

using namespace corv;

// The scan utility's option values: 4 is the finest preset, 1 the coarsest.
constexpr long kMaxQuality = 4;
constexpr long kMaxDpi = 100000;
// JPEG frames state their size in 16 bits.
constexpr int kMaxJpegSide = 65535;

const char kUsage[] =
    "usage: corvimg pdf [--bilevel none|g3|g4] [--color none|jpeg] [--quality 1..4] "
    "[--ascii85] [--dpi N] [--chunk BYTES] OUT.pdf IN.pnm [IN.pnm ...]";

struct PdfArgs {
    CPdfOption option;
    bool qualityGiven = false;
    int dpi = kDefaultDpi;
    size_t chunk = kDefaultChunk;
    std::string out;
    std::vector<std::string> inputs;
};

bool Pick(const std::string &value, std::initializer_list<std::pair<const char *, int>> names,
          int &out) {
    for (const auto &[name, code] : names)
        if (value == name)
            return out = code, true;
    return false;
}

// Takes the options only this subcommand has out of `args`; the rest go to
// the shared parser.
bool TakePdfOptions(std::vector<std::string> &args, PdfArgs &out, std::string &error) {
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--ascii85") {
            out.option.Ascii85 = true;
        } else if (a == "--bilevel") {
            if (!hasValue ||
                !Pick(args[++i],
                      {{"none", kPdfBilevelNone}, {"g3", kPdfBilevelG3}, {"g4", kPdfBilevelG4}},
                      out.option.BilevelCompression))
                return error = "--bilevel wants none, g3 or g4", false;
        } else if (a == "--color") {
            if (!hasValue || !Pick(args[++i], {{"none", kPdfColorNone}, {"jpeg", kPdfColorJpeg}},
                                   out.option.ColorCompression))
                return error = "--color wants none or jpeg", false;
        } else {
            rest.push_back(a);
        }
    }
    args = std::move(rest);
    return true;
}

bool ParseArgs(std::vector<std::string> args, PdfArgs &out, std::string &error) {
    if (!TakePdfOptions(args, out, error))
        return false;
    PageArgs page;
    const ExtraOption quality{"--quality",
                              [&](const std::string &value) {
                                  long v = 0;
                                  if (!ParsePositive(value, kMaxQuality, v))
                                      return false;
                                  out.option.JpegQuality = static_cast<int>(v);
                                  out.qualityGiven = true;
                                  return true;
                              },
                              "--quality wants 1, 2, 3 or 4"};
    if (!ParsePageArgs(args, quality, kMaxDpi, page, error))
        return false;
    if (page.positional.size() < 2)
        return error = kUsage, false;
    // The scan utility offers the quality only together with JPEG.
    if (out.qualityGiven && out.option.ColorCompression != kPdfColorJpeg)
        return error = "--quality needs --color jpeg", false;
    out.dpi = page.dpi;
    out.chunk = page.chunk;
    out.out = page.positional[0];
    out.inputs.assign(page.positional.begin() + 1, page.positional.end());
    return true;
}

// Every page is checked before the output is touched, so an impossible
// request never leaves a file behind.
bool CheckPages(const PdfArgs &a, std::string &error) {
    for (const std::string &in : a.inputs) {
        PnmReader pnm;
        if (!pnm.Open(in))
            return error = pnm.Error(), false;
        const bool jpeg = pnm.Format() != '4' && a.option.ColorCompression == kPdfColorJpeg;
        if (jpeg && (pnm.Width() > kMaxJpegSide || pnm.Height() > kMaxJpegSide))
            return error = in + ": JPEG pages are at most 65535 pixels each way", false;
    }
    return true;
}

}  // namespace

int RunPdf(const std::vector<std::string> &args, std::string &error) {
    PdfArgs a;
    if (!ParseArgs(args, a, error) || !CheckPages(a, error))
        return kExitUsage;
    CImgToPDF writer;
    return WritePages(writer, a.option, a.out, a.inputs, a.dpi, a.chunk, error);
}

}  // namespace corvimg
