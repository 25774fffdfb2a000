#include "DitherCommand.h"

#include "BMPImage.h"
#include "ColorQuantizer.h"
#include "DiskFile.h"
#include "ImageError.h"
#include "PageWriter.h"
#include "PnmReader.h"
#include "PnmWriter.h"
#include "TiffCommand.h"

#include <memory>

namespace corvimg {
namespace {

using namespace corv;

constexpr int kBandRows = 64;

struct DitherArgs {
    int method = 100;
    int kind = kKindBilevel;
    bool quantise = false;
    int dpi = kDefaultDpi;
    std::string in, out;
};

bool ParseArgs(const std::vector<std::string> &args, DitherArgs &a, std::string &error) {
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &s = args[i];
        const bool hasValue = i + 1 < args.size();
        long v = 0;
        if (s == "--method" && hasValue && ParsePositive(args[i + 1], 100000, v)) {
            a.method = static_cast<int>(v);
            ++i;
        } else if (s == "--to" && hasValue) {
            const std::string &t = args[++i];
            if (t == "bilevel")
                a.kind = kKindBilevel;
            else if (t == "16")
                a.kind = kKindPalette4;
            else if (t == "256")
                a.kind = kKindPalette8;
            else
                return error = "--to wants bilevel, 16 or 256", false;
        } else if (s == "--quantize") {
            a.quantise = true;
        } else if (s == "--dpi" && hasValue && ParsePositive(args[i + 1], 100000, v)) {
            a.dpi = static_cast<int>(v);
            ++i;
        } else if (!s.empty() && s[0] == '-') {
            return error = "unknown or bad option " + s, false;
        } else {
            positional.push_back(s);
        }
    }
    if (positional.size() != 2)
        return error =
                   "usage: corvimg dither [--method CODE] [--to bilevel|16|256] [--quantize] "
                   "[--dpi N] IN.pnm OUT.(pnm|bmp)",
               false;
    a.in = positional[0];
    a.out = positional[1];
    return true;
}

int KindOf(char format) {
    return format == '4' ? kKindBilevel : format == '5' ? kKindGray8 : kKindRgb24;
}

// Streams the page's rows in bands, PNM bits turned into the library's.
template <typename Each>
bool ForEachBand(const std::string &path, std::string &error, Each each) {
    PnmReader pnm;
    if (!pnm.Open(path))
        return error = pnm.Error(), false;
    ImageBand band;
    for (int top = 0; top < pnm.Height(); top += kBandRows) {
        const int rows = std::min(kBandRows, pnm.Height() - top);
        band.Shape(KindOf(pnm.Format()), pnm.Width(), pnm.Height(), rows);
        band.top = top;
        band.bottom = top + rows;
        const size_t bytes = size_t(band.bytesPerRow) * size_t(rows);
        if (pnm.Read(band.Data(), bytes) != bytes)
            return error = path + ": truncated", false;
        each(band);
    }
    return true;
}

bool EndsWith(const std::string &s, const std::string &tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

int RunDither(const std::vector<std::string> &args, std::string &error) {
    DitherArgs a;
    if (!ParseArgs(args, a, error))
        return kExitUsage;
    PnmReader probe;
    if (!probe.Open(a.in))
        return error = probe.Error(), kExitFailed;
    const int width = probe.Width(), height = probe.Height();
    probe.Close();
    const bool toBmp = EndsWith(a.out, ".bmp") || EndsWith(a.out, ".BMP");
    try {
        Palette palette;
        if (a.quantise && a.kind != kKindBilevel) {
            CColorQuantizer quantizer;
            if (!ForEachBand(a.in, error, [&](const ImageBand &b) { quantizer.AddBand(b); }))
                return kExitFailed;
            palette = quantizer.BuildPalette(a.kind == kKindPalette4 ? 16 : 256);
        }
        // The output image does the conversion, whether it writes it or not.
        CBMPImage image;
        image.SetConversion(a.kind, a.method, palette.empty() ? nullptr : &palette);
        std::unique_ptr<CComFile> file;
        PnmWriter pnm;
        bool opened = false;
        ImageBand converted;
        bool ok = ForEachBand(a.in, error, [&](const ImageBand &band) {
            image.ConvertBand(band, converted);
            if (!opened) {
                opened = true;
                if (toBmp) {
                    file = NewDiskFile(a.out.c_str());
                    image.SetStreamBorrowed(true);
                    image.SetPalette(converted.palette);
                    image.OpenWrite(file.get(), width, height, a.kind, a.dpi << 16);
                } else if (!pnm.Open(a.out, width, height, a.kind)) {
                    RaiseImageError(kErrNotOpen);
                }
            }
            if (toBmp)
                image.WriteBand(converted);
            else if (!pnm.Write(converted))
                RaiseImageError(kErrNotOpen);
        });
        if (!ok)
            return kExitFailed;
        if (toBmp) {
            image.Finish();
            file->CloseFile();
        } else if (!pnm.Close()) {
            return error = a.out + ": write failed", kExitFailed;
        }
    } catch (const CImageError &e) {
        if (e.Code() == kErrInvalidArg)
            return error = "method " + std::to_string(a.method) + " has no dither for that target",
                   kExitUsage;
        return error = a.out + ": " + e.what(), kExitFailed;
    }
    return kExitOk;
}

}  // namespace corvimg
