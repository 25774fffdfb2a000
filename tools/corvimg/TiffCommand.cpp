#include "TiffCommand.h"

#include "DiskFile.h"
#include "ImageError.h"
#include "ImgToTIFF2.h"
#include "PnmReader.h"
#include "TIFFFileWriter.h"

#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace corvimg {
namespace {

using namespace corv;

// A TWAIN memory transfer delivers at most this much per buffer by default.
constexpr size_t kDefaultChunk = 65535;
constexpr int kDefaultDpi = 300;

enum class Compression { None, G3, G4, Lzw, PackBits, Jpeg };

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

bool ParsePositive(const std::string &s, long max, long &value) {
    char *end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || *end || v <= 0 || v > max)
        return false;
    value = v;
    return true;
}

bool ParseArgs(const std::vector<std::string> &args, TiffArgs &out, std::string &error) {
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        bool hasValue = i + 1 < args.size();
        long v = 0;
        if (a == "--compression") {
            if (!hasValue || !ParseCompression(args[++i], out.compression))
                return error = "--compression wants none, g3, g4, lzw, packbits or jpeg", false;
        } else if (a == "--dpi") {
            if (!hasValue || !ParsePositive(args[++i], 100000, v))
                return error = "--dpi wants a positive number", false;
            out.dpi = static_cast<int>(v);
        } else if (a == "--chunk") {
            if (!hasValue || !ParsePositive(args[++i], 1L << 30, v))
                return error = "--chunk wants a positive byte count", false;
            out.chunk = static_cast<size_t>(v);
        } else if (a.size() > 1 && a[0] == '-') {
            return error = "unknown option " + a, false;
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() < 2)
        return error =
                   "usage: corvimg tiff [--compression none|g3|g4|lzw|packbits|jpeg] "
                   "[--dpi N] [--chunk BYTES] OUT.tif IN.pnm [IN.pnm ...]",
               false;
    out.out = positional[0];
    out.inputs.assign(positional.begin() + 1, positional.end());
    return true;
}

int PixelTypeOf(char format) {
    return format == '4' ? kPixelBilevel : format == '5' ? kPixelGray : kPixelRgb;
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

void WritePage(CImgToTIFF2 &writer, const std::string &in, const TiffArgs &a,
               std::vector<uint8_t> &chunk) {
    PnmReader pnm;
    if (!pnm.Open(in))
        throw std::runtime_error(pnm.Error());
    writer.BeginPage(CImgParam(PixelTypeOf(pnm.Format()), pnm.Width(), pnm.Height(),
                               static_cast<int>(pnm.RowBytes()), a.dpi));
    uint64_t left = pnm.DataBytes();
    while (left) {
        size_t n = pnm.Read(chunk.data(), chunk.size());
        if (n == 0)
            throw std::runtime_error(in + ": file ends before its last row");
        writer.WriteData(n, chunk.data());
        left -= n;
    }
    writer.EndPage();
}

}  // namespace

int RunTiff(const std::vector<std::string> &args, std::string &error) {
    TiffArgs a;
    if (!ParseArgs(args, a, error) || !CheckPages(a, error))
        return kExitUsage;
    std::vector<uint8_t> chunk(a.chunk);
    CTiffOption option = OptionFor(a.compression);
    CImgToTIFF2 writer;
    // The writer never truncates: an older, longer file would keep its tail.
    RemoveDiskFile(a.out.c_str());
    try {
        writer.Open(&option, a.out.c_str());
        for (const std::string &in : a.inputs)
            WritePage(writer, in, a, chunk);
        writer.Close();
    } catch (const CImageError &e) {
        writer.Abandon();
        error = a.out + ": " + e.what() + " (code " +
                std::to_string(static_cast<int32_t>(e.Code())) + ")";
        return kExitFailed;
    } catch (const std::exception &e) {
        writer.Abandon();
        error = a.out + ": " + e.what();
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace corvimg
