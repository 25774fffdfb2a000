#include "ReadCommand.h"

#include "DiskFile.h"
#include "ImageError.h"
#include "ImageFactory.h"
#include "PnmWriter.h"
#include "TIFFImage.h"
#include "TiffCommand.h"

#include <cstdio>
#include <memory>

namespace corvimg {
namespace {

using namespace corv;

constexpr int kBandRows = 64;

void PrintFields(const std::string &path, CComImage &image) {
    const ImageRect r = image.GetRect();
    std::printf("file: %s\n", path.c_str());
    std::printf("format kind: %d\n", image.FormatKind());
    std::printf("rect: %d %d %d %d\n", r.left, r.top, r.right, r.bottom);
    std::printf("colour kind: %d\n", image.ColourKind());
    std::printf("bytes per row: %d\n", image.RowBytes());
    std::printf("samples per pixel: %d\n", image.Samples());
    std::printf("resolution: %.2f %.2f\n", image.XResolution() / 65536.0,
                image.YResolution() / 65536.0);
    std::printf("encoded length: %lld\n", static_cast<long long>(image.EncodedLength()));
    std::printf("palette entries: %zu\n", image.ImagePalette().size());
    const std::vector<uint8_t> &c = image.Comment();
    std::printf("comment: %s\n", std::string(c.begin(), c.end()).c_str());
    if (auto *tiff = dynamic_cast<CTIFFImage *>(&image))
        std::printf("compression: %d\nphotometric: %d\nnew subfile type: %u\n", tiff->Compression(),
                    tiff->Photometric(), tiff->NewSubfileType());
}

}  // namespace

int RunRead(const std::vector<std::string> &args, std::string &error) {
    if (args.empty() || args.size() > 2)
        return error = "usage: corvimg read IN.(tif|jpg|bmp) [OUT.pnm]", kExitUsage;
    const std::string &in = args[0];
    try {
        std::unique_ptr<CComFile> file = NewDiskFile(in.c_str());
        file->OpenExisting(kOpenRead);
        uint8_t magic[4] = {};
        const size_t got = file->Read(magic, sizeof magic);
        const int kind = SniffFormatKind(magic, got);
        if (kind == 0)
            return error = in + ": not a BMP, TIFF or JPEG file", kExitFailed;
        std::unique_ptr<CComImage> image = NewImage(kind);
        image->SetStreamBorrowed(true);
        image->OpenRead(file.get());
        PrintFields(in, *image);
        if (args.size() < 2)
            return kExitOk;
        PnmWriter pnm;
        if (!pnm.Open(args[1], image->Width(), image->Height(), image->ColourKind()))
            return error = args[1] + ": cannot be written", kExitFailed;
        ImageBand band;
        while (image->ReadBand(band, kBandRows) > 0)
            if (!pnm.Write(band))
                return error = args[1] + ": write failed", kExitFailed;
        if (!pnm.Close())
            return error = args[1] + ": write failed", kExitFailed;
    } catch (const CImageError &e) {
        return error = in + ": " + e.what() + " (code " +
                       std::to_string(static_cast<int32_t>(e.Code())) + ")",
               kExitFailed;
    }
    return kExitOk;
}

}  // namespace corvimg
