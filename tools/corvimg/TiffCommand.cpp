#include "TiffCommand.h"

#include "ImgToJPEG.h"
#include "ImgToTIFF2.h"
#include "PageWriter.h"
#include "PnmReader.h"
#include "TIFFFileWriter.h"

namespace corvimg {
namespace {

using namespace corv;

enum class Compression { None, G3, G4, Lzw, PackBits, Jpeg };

constexpr long kMaxDpi = 100000;

struct TiffArgs {
    Compression compression = Compression::None;
    int dpi = kDefaultDpi;
    size_t chunk = kDefaultChunk;
    std::string out;
    std::vector<std::string> inputs;
};

bool ParseCompression(const std::string &s, Compression &c) {
    static const struct {
        const char *name;
        Compression value;
    } kNames[] = {{"none", Compression::None},
                  {"g3", Compression::G3},
                  {"g4", Compression::G4},
                  {"lzw", Compression::Lzw},
                  {"packbits", Compression::PackBits},
                  {"jpeg", Compression::Jpeg}};
    for (const auto &n : kNames)
        if (s == n.name) {
            c = n.value;
            return true;
        }
    return false;
}

bool ParseArgs(const std::vector<std::string> &args, TiffArgs &out, std::string &error) {
    PageArgs page;
    const ExtraOption compression{
        "--compression",
        [&](const std::string &value) { return ParseCompression(value, out.compression); },
        "--compression wants none, g3, g4, lzw, packbits or jpeg"};
    if (!ParsePageArgs(args, compression, kMaxDpi, page, error))
        return false;
    out.dpi = page.dpi;
    out.chunk = page.chunk;
    const std::vector<std::string> &positional = page.positional;
    if (positional.size() < 2)
        return error =
                   "usage: corvimg tiff [--compression none|g3|g4|lzw|packbits|jpeg] "
                   "[--dpi N] [--chunk BYTES] OUT.tif IN.pnm [IN.pnm ...]",
               false;
    out.out = positional[0];
    out.inputs.assign(positional.begin() + 1, positional.end());
    return true;
}

// Every page is checked before the output is touched, so an impossible
// request never leaves a file behind.
bool CheckPages(const TiffArgs &a, std::string &error) {
    for (const std::string &in : a.inputs) {
        PnmReader pnm;
        if (!pnm.Open(in))
            return error = pnm.Error(), false;
        bool bilevel = pnm.Format() == '4';
        if ((a.compression == Compression::G3 || a.compression == Compression::G4) && !bilevel)
            return error = in + ": CCITT Group 3/4 compression needs a bilevel (P4) page", false;
        if (a.compression == Compression::Jpeg && bilevel)
            return error = in + ": JPEG compression needs a gray (P5) or colour (P6) page", false;
    }
    if (a.compression == Compression::Jpeg && !CTIFFFileWriter::HasJpegStripWriter())
        return error = "JPEG compression is not available in this build", false;
    return true;
}

CTiffOption OptionFor(Compression c) {
    CTiffOption option(1, 1, 2);
    switch (c) {
        case Compression::G3:
            option.BilevelCompression = kTiffOptionG3;
            break;
        case Compression::G4:
            option.BilevelCompression = kTiffOptionG4;
            break;
        case Compression::Jpeg:
            option.ColorCompression = kTiffOptionJpeg;
            break;
        case Compression::Lzw:
            option.StripCompression = kCompressLzw;
            break;
        case Compression::PackBits:
            option.StripCompression = kCompressPackBits;
            break;
        case Compression::None:
            break;
    }
    return option;
}

}  // namespace

int RunTiff(const std::vector<std::string> &args, std::string &error) {
    // JPEG strips (compression 7) are coded by the JPEG writer.
    RegisterJpegStripWriter();
    TiffArgs a;
    if (!ParseArgs(args, a, error) || !CheckPages(a, error))
        return kExitUsage;
    CTiffOption option = OptionFor(a.compression);
    CImgToTIFF2 writer;
    return WritePages(writer, option, a.out, a.inputs, a.dpi, a.chunk, error);
}

}  // namespace corvimg
