#include "PageWriter.h"

#include "DiskFile.h"
#include "ImageError.h"
#include "PnmReader.h"
#include "TiffCommand.h"

#include <cstdlib>
#include <stdexcept>

namespace corvimg {
namespace {

using namespace corv;

void WritePage(CImgToFile &writer, const std::string &in, int dpi, std::vector<uint8_t> &chunk) {
    PnmReader pnm;
    if (!pnm.Open(in))
        throw std::runtime_error(pnm.Error());
    writer.BeginPage(CImgParam(PixelTypeOf(pnm.Format()), pnm.Width(), pnm.Height(),
                               static_cast<int>(pnm.RowBytes()), dpi));
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

bool ParsePositive(const std::string &s, long max, long &value) {
    char *end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || *end || v <= 0 || v > max)
        return false;
    value = v;
    return true;
}

bool ParsePageArgs(const std::vector<std::string> &args, const ExtraOption &extra, long maxDpi,
                   PageArgs &out, std::string &error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        bool hasValue = i + 1 < args.size();
        long v = 0;
        if (a == extra.name) {
            if (!hasValue || !extra.parse(args[++i]))
                return error = extra.error, false;
        } else if (a == "--dpi") {
            if (!hasValue || !ParsePositive(args[++i], maxDpi, v))
                return error = "--dpi wants a number from 1 to " + std::to_string(maxDpi), false;
            out.dpi = static_cast<int>(v);
        } else if (a == "--chunk") {
            if (!hasValue || !ParsePositive(args[++i], 1L << 30, v))
                return error = "--chunk wants a positive byte count", false;
            out.chunk = static_cast<size_t>(v);
        } else if (a.size() > 1 && a[0] == '-') {
            return error = "unknown option " + a, false;
        } else {
            out.positional.push_back(a);
        }
    }
    return true;
}

int PixelTypeOf(char format) {
    return format == '4' ? kPixelBilevel : format == '5' ? kPixelGray : kPixelRgb;
}

int WritePages(CImgToFile &writer, CImgOption &option, const std::string &out,
               const std::vector<std::string> &inputs, int dpi, size_t chunk, std::string &error) {
    std::vector<uint8_t> buffer(chunk);
    // The writers never truncate: an older, longer file would keep its tail.
    RemoveDiskFile(out.c_str());
    try {
        writer.Open(&option, out.c_str());
        for (const std::string &in : inputs)
            WritePage(writer, in, dpi, buffer);
        writer.Close();
    } catch (const CImageError &e) {
        writer.Abandon();
        error = out + ": " + e.what() + " (code " + std::to_string(static_cast<int32_t>(e.Code())) +
                ")";
        return kExitFailed;
    } catch (const std::exception &e) {
        writer.Abandon();
        error = out + ": " + e.what();
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace corvimg
