// Fuzz target: arbitrary pages (type, size, compression, chunking, pixels)
// through CImgToTIFF2 into memory; the file must parse back with one IFD
// whose strip tables point inside the file.
#include "ImageError.h"
#include "ImgToTIFF2.h"
#include "MemoryFile.h"

#include "../../tests/TiffInspect.h"

#include <cstdlib>
#include <vector>

using namespace corv;

namespace {

constexpr size_t kHeader = 6;
constexpr int kMaxWidth = 6000;
constexpr int kMaxHeight = 64;

int CompressionFor(uint8_t selector, int pixelType, CTiffOption &option) {
    switch (selector % 5) {
        case 0:
            return kCompressNone;
        case 1:
            if (pixelType != kPixelBilevel)
                return kCompressNone;
            option.BilevelCompression = kTiffOptionG3;
            return kCompressG3;
        case 2:
            if (pixelType != kPixelBilevel)
                return kCompressNone;
            option.BilevelCompression = kTiffOptionG4;
            return kCompressG4;
        case 3:
            option.StripCompression = kCompressLzw;
            return kCompressLzw;
        default:
            option.StripCompression = kCompressPackBits;
            return kCompressPackBits;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < kHeader)
        return 0;
    const int pixelType = 1 + data[0] % 3;
    CTiffOption option(1, 1, 2);
    CompressionFor(data[1], pixelType, option);
    const int width = 1 + (data[2] | data[3] << 8) % kMaxWidth;
    const int height = 1 + data[4] % kMaxHeight;
    const size_t chunk = 1 + data[5] * 37;
    const int rowBytes = pixelType == kPixelBilevel ? (width + 7) / 8
                         : pixelType == kPixelGray  ? width
                                                    : width * 3;
    std::vector<uint8_t> pixels(size_t(rowBytes) * height);
    const uint8_t *body = data + kHeader;
    const size_t bodySize = size - kHeader;
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = bodySize ? body[i % bodySize] : 0;

    CMemoryFile file;
    file.Open(kOpenReadWrite);
    CImgToTIFF2 writer;
    writer.Open(&option, &file);
    writer.BeginPage(CImgParam(pixelType, width, height, rowBytes, 300));
    for (size_t at = 0; at < pixels.size(); at += chunk)
        writer.WriteData(std::min(chunk, pixels.size() - at), pixels.data() + at);
    writer.EndPage();
    writer.Close();

    std::vector<uint8_t> bytes(file.Data(), file.Data() + file.Size());
    corv::test::TiffFile tiff = corv::test::Inspect(bytes);
    const auto &ifd = tiff.ifds.at(0);
    for (uint32_t i = 0; i < ifd.tags.at(273).count; ++i)
        if (uint64_t(ifd.Get(273, i)) + ifd.Get(279, i) > bytes.size())
            std::abort();
    return 0;
}
