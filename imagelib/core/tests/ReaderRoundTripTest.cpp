// Every kind of file our writers produce, and files made by libtiff's
// tools, cjpeg, ImageMagick and DCMTK, read back through the library's
// readers: lossless files to the very pixels, JPEG to what the encoder tests
// demand of the original and close to what djpeg decodes. Our BMP files are
// also read by ImageMagick.
#include "BMPImage.h"
#include "DiskFile.h"
#include "Dither.h"
#include "ImageError.h"
#include "ImageFactory.h"
#include "ImgToJPEG.h"
#include "ImgToTIFF2.h"
#include "JPEGImage.h"
#include "MemoryFile.h"
#include "TIFFImage.h"

#include "../../tests/ExternalTools.h"
#include "../../tests/TempPath.h"
#include "../../tests/TestImages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

using namespace corv;
using namespace corv::test;

namespace {

constexpr int kWidth = 203, kHeight = 157;

// A page as R, G, B triples, whatever its colour kind.
struct Rgb {
    int width = 0, height = 0;
    std::vector<uint8_t> data;
};

Rgb FromPage(const TestPage &p) {
    ImageBand band;
    const int kind = p.pixelType == 1 ? kKindBilevel : p.pixelType == 2 ? kKindGray8 : kKindRgb24;
    band.Shape(kind, p.width, p.height, p.height);
    band.top = 0;
    band.bottom = p.height;
    std::memcpy(band.Data(), p.rows.data(), p.rows.size());
    Rgb out{p.width, p.height, std::vector<uint8_t>(size_t(p.width) * p.height * 3)};
    for (int y = 0; y < p.height; ++y)
        CDither::RgbRow(band, y, &out.data[size_t(y) * p.width * 3]);
    return out;
}

// A binary PNM file (maxval 255) as RGB; PBM's 1 is black.
Rgb LoadPnm(const std::string &path) {
    std::vector<uint8_t> b = ReadAll(path);
    Rgb out;
    if (b.size() < 3 || b[0] != 'P')
        return out;
    const char kind = static_cast<char>(b[1]);
    size_t pos = 2;
    auto number = [&]() {
        while (pos < b.size() && (std::isspace(b[pos]) || b[pos] == '#')) {
            if (b[pos] == '#')
                while (pos < b.size() && b[pos] != '\n')
                    ++pos;
            else
                ++pos;
        }
        int v = 0;
        while (pos < b.size() && std::isdigit(b[pos]))
            v = v * 10 + (b[pos++] - '0');
        return v;
    };
    out.width = number();
    out.height = number();
    if (kind != '4')
        number();
    ++pos;
    out.data.resize(size_t(out.width) * out.height * 3);
    const size_t bilevelRow = size_t(out.width + 7) / 8;
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            uint8_t *o = &out.data[(size_t(y) * out.width + x) * 3];
            if (kind == '4') {
                const uint8_t byte = b[pos + y * bilevelRow + x / 8];
                o[0] = o[1] = o[2] = (byte >> (7 - x % 8)) & 1 ? 0 : 255;
            } else if (kind == '5') {
                o[0] = o[1] = o[2] = b[pos + size_t(y) * out.width + x];
            } else {
                std::memcpy(o, &b[pos + (size_t(y) * out.width + x) * 3], 3);
            }
        }
    return out;
}

double Psnr(const Rgb &a, const Rgb &b) {
    if (a.data.size() != b.data.size() || a.data.empty())
        return 0;
    double sum = 0;
    for (size_t i = 0; i < a.data.size(); ++i) {
        const double d = double(a.data[i]) - double(b.data[i]);
        sum += d * d;
    }
    return sum == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / (sum / double(a.data.size())));
}

struct Decoded {
    std::unique_ptr<CComImage> image;
    Rgb pixels;
};

// Through the factory, rows in bands of 10 as a caller would take them.
Decoded ReadWithLibrary(const std::string &path) {
    Decoded d;
    std::vector<uint8_t> head = ReadAll(path);
    d.image = NewImage(SniffFormatKind(head.data(), head.size()));
    d.image->OpenRead(NewDiskFile(path.c_str()).release());
    d.pixels = {d.image->Width(), d.image->Height(), {}};
    d.pixels.data.resize(size_t(d.pixels.width) * d.pixels.height * 3);
    ImageBand band;
    while (d.image->ReadBand(band, 10) > 0)
        for (int y = band.top; y < band.bottom; ++y)
            CDither::RgbRow(band, y, &d.pixels.data[size_t(y) * d.pixels.width * 3]);
    return d;
}

TestPage Page(int pixelType) {
    return MakePage(pixelType, kWidth, kHeight,
                    pixelType == 1   ? Pattern::Random
                    : pixelType == 2 ? Pattern::F
                                     : Pattern::F);
}

void WritePnm(const std::string &path, const TestPage &p) {
    std::string header = std::string(p.pixelType == 1   ? "P4"
                                     : p.pixelType == 2 ? "P5"
                                                        : "P6") +
                         "\n" + std::to_string(p.width) + " " + std::to_string(p.height) + "\n" +
                         (p.pixelType == 1 ? "" : "255\n");
    std::vector<uint8_t> bytes(header.begin(), header.end());
    for (uint8_t b : p.rows)
        bytes.push_back(p.pixelType == 1 ? static_cast<uint8_t>(~b) : b);
    WriteAll(path, bytes);
}

void WriteOurTiff(const std::string &path, const TestPage &p, int compression) {
    RegisterJpegStripWriter();
    CTiffOption o(1, 1, 2);
    if (compression == kCompressG3)
        o.BilevelCompression = kTiffOptionG3;
    else if (compression == kCompressG4)
        o.BilevelCompression = kTiffOptionG4;
    else if (compression == kCompressJpeg)
        o.ColorCompression = kTiffOptionJpeg;
    else if (compression != kCompressNone)
        o.StripCompression = compression;
    CImgToTIFF2 w;
    w.Open(&o, path.c_str());
    w.BeginPage(CImgParam(p.pixelType, p.width, p.height, p.RowBytes(), 300));
    w.WriteData(p.rows.size(), p.rows.data());
    w.EndPage();
    w.Close();
}

void WriteOurJpeg(const std::string &path, const TestPage &p) {
    CJpegOption o;
    o.Quality = 2;
    CImgToJPEG w;
    w.Open(&o, path.c_str());
    w.BeginPage(CImgParam(p.pixelType, p.width, p.height, p.RowBytes(), 300));
    w.WriteData(p.rows.size(), p.rows.data());
    w.EndPage();
    w.Close();
}

// Kinds 1, 3 and 7 as they are, and colour as 8-bit palette indices.
void WriteOurBmp(const std::string &path, const TestPage &p, int kind) {
    ImageBand band;
    band.Shape(kind, p.width, p.height, p.height);
    band.top = 0;
    band.bottom = p.height;
    CBMPImage image;
    if (kind == kKindPalette8) {
        image.SetConversion(kKindPalette8, 300);
        ImageBand source;
        source.Shape(kKindRgb24, p.width, p.height, p.height);
        source.top = 0;
        source.bottom = p.height;
        std::memcpy(source.Data(), p.rows.data(), p.rows.size());
        image.ConvertBand(source, band);
        image.SetPalette(band.palette);
    } else {
        std::memcpy(band.Data(), p.rows.data(), p.rows.size());
    }
    auto file = NewDiskFile(path.c_str());
    image.SetStreamBorrowed(true);
    image.OpenWrite(file.get(), p.width, p.height, kind, 300 << 16);
    image.WriteBand(band);
    image.Finish();
    file->CloseFile();
}

// A run-length coded bitmap of our own making (ImageMagick writes RLE8
// only) with every kind of code: runs, literal pixels with their padding,
// and deltas that skip pixels and whole rows, which stay at palette index
// 0. (An end of bitmap before the last row decodes the same in
// ImageMagick, but it reports the file as cut short.) The pixels come
// from the codes, not from the page.
void WriteRleBmp(const std::string &out, bool fourBit) {
    std::vector<uint8_t> codes;
    auto noise = [](int x, int y, int seed) { return static_cast<uint8_t>(FNoise(x, y, seed)); };
    for (int y = 0; y < kHeight; ++y) {
        int x = 0;
        if (y % 11 == 5 && y + 2 < kHeight) {
            codes.insert(codes.end(), {0, 2, 9, 2});
            x = 9;
            y += 2;
        }
        while (x < kWidth) {
            const int n = std::min(kWidth - x, 1 + noise(x, y, 4) % 40);
            if (n < 3 || noise(x, y, 5) & 1) {
                codes.insert(codes.end(), {uint8_t(n), noise(x, y, 6)});
            } else {
                codes.insert(codes.end(), {0, uint8_t(n)});
                const int bytes = fourBit ? (n + 1) / 2 : n;
                for (int i = 0; i < bytes + bytes % 2; ++i)
                    codes.push_back(noise(x + i, y, 7));
            }
            x += n;
        }
        codes.insert(codes.end(), {0, 0});
    }
    codes.insert(codes.end(), {0, 1});
    const uint32_t colours = fourBit ? 16 : 256, offset = 54 + 4 * colours;
    std::vector<uint8_t> file(offset);
    auto put = [&](size_t at, uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            file[at + size_t(i)] = static_cast<uint8_t>(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put(2, offset + uint32_t(codes.size()), 4);
    put(10, offset, 4);
    put(14, 40, 4);
    put(18, kWidth, 4);
    put(22, kHeight, 4);
    put(26, 1, 2);
    put(28, fourBit ? 4 : 8, 2);
    put(30, fourBit ? 2 : 1, 4);
    put(34, uint32_t(codes.size()), 4);
    for (uint32_t i = 0; i < 4 * colours; ++i)
        file[54 + i] = i % 4 == 3 ? 0 : noise(int(i), 1, 8);
    file.insert(file.end(), codes.begin(), codes.end());
    WriteAll(out, file);
}

auto RleBmp(bool fourBit) {
    return [fourBit](const std::string &out, const TestPage &, const std::string &) {
        WriteRleBmp(out, fourBit);
    };
}

enum class Reference { Source, Djpeg, TiffcpNone, Convert };

struct Case {
    const char *name;
    int pixelType;
    // Makes the file from the page (and the page as PNM at `pnm`).
    std::function<void(const std::string &out, const TestPage &page, const std::string &pnm)> make;
    Reference reference;
    double minPsnr;  // 99: the very pixels
    int kind;        // colour kind the reader must report
    int formatKind;
    int clearedBits = 0;  // low bits of the source a point transform drops
};

void Tool(const std::string &command) {
    ToolRun r = RunTool(command);
    ASSERT_EQ(r.status, 0) << command << "\n" << r.err;
}

auto Ours(int compression) {
    return [compression](const std::string &out, const TestPage &p, const std::string &) {
        WriteOurTiff(out, p, compression);
    };
}
auto OurJpeg() {
    return [](const std::string &out, const TestPage &p, const std::string &) {
        WriteOurJpeg(out, p);
    };
}
auto OurBmp(int kind) {
    return [kind](const std::string &out, const TestPage &p, const std::string &) {
        WriteOurBmp(out, p, kind);
    };
}
auto Command(std::string pattern) {
    // {in} is the PNM page, {out} the file made.
    return [pattern](const std::string &out, const TestPage &, const std::string &pnm) {
        std::string c = pattern;
        for (auto [key, value] :
             {std::pair<std::string, std::string>{"{in}", Quote(pnm)}, {"{out}", Quote(out)}})
            for (size_t at; (at = c.find(key)) != std::string::npos;)
                c.replace(at, key.size(), value);
        Tool(c);
    };
}
// A tiffcp conversion from an uncompressed TIFF that ImageMagick makes.
auto Tiffcp(const std::string &options) {
    return Command("convert {in} -compress none {out}.plain.tif && tiffcp " + options +
                   " {out}.plain.tif {out}; rm -f {out}.plain.tif");
}

// Lossless JPEG as DCMTK's encoder writes it (this djpeg predates lossless
// support): the page goes into a DICOM file, dcmcjpeg codes it with the
// predictor and point transform, and the JPEG stream is cut out of the
// encapsulated pixel data. 16-bit pages hold each level times 257 plus a
// little noise, so that every bit is predicted but the level rounds back.
// Colour streams get the component ids R, G, B: without them a decoder
// must take three components for YCbCr.
void WriteDicomLossless(const std::string &out, const TestPage &p, int predictor, int pt,
                        bool sixteen) {
    const bool rgb = p.pixelType == kPixelRgb;
    std::vector<uint8_t> raw;
    for (size_t i = 0; i < p.rows.size(); ++i) {
        if (!sixteen) {
            raw.push_back(p.rows[i]);
            continue;
        }
        const int v = p.rows[i] * 257 + (FNoise(int(i % 997), int(i / 997), 5) & 127);
        raw.push_back(static_cast<uint8_t>(v));
        raw.push_back(static_cast<uint8_t>(v >> 8));
    }
    ScopedPath pixels("pixels.raw"), dump("page.dump"), plain("plain.dcm"), coded("coded.dcm");
    WriteAll(pixels.path, raw);
    const std::string bits = sixteen ? "16" : "8";
    const std::string text =
        "(0008,0016) UI =SecondaryCaptureImageStorage\n(0008,0018) UI [1.2.3.4.5]\n"
        "(0028,0002) US " +
        std::string(rgb ? "3" : "1") + "\n(0028,0004) CS [" + (rgb ? "RGB" : "MONOCHROME2") +
        "]\n" + (rgb ? "(0028,0006) US 0\n" : "") + "(0028,0010) US " + std::to_string(p.height) +
        "\n(0028,0011) US " + std::to_string(p.width) + "\n(0028,0100) US " + bits +
        "\n(0028,0101) US " + bits + "\n(0028,0102) US " + (sixteen ? "15" : "7") +
        "\n(0028,0103) US 0\n(7fe0,0010) " + (sixteen ? "OW" : "OB") + " =" + pixels.path + "\n";
    WriteAll(dump.path, std::vector<uint8_t>(text.begin(), text.end()));
    Tool("dump2dcm +E -q " + Quote(dump.path) + " " + Quote(plain.path));
    Tool("dcmcjpeg +el +sv " + std::to_string(predictor) + " +pt " + std::to_string(pt) + " " +
         Quote(plain.path) + " " + Quote(coded.path));
    const std::vector<uint8_t> dicom = ReadAll(coded.path);
    const uint8_t soi[] = {0xFF, 0xD8, 0xFF}, eoi[] = {0xFF, 0xD9};
    const auto begin = std::search(dicom.begin(), dicom.end(), soi, soi + 3);
    const auto end = std::find_end(dicom.begin(), dicom.end(), eoi, eoi + 2);
    ASSERT_TRUE(begin < end);
    std::vector<uint8_t> jpeg(begin, end + 2);
    const uint8_t sof[] = {0xFF, 0xC3}, sos[] = {0xFF, 0xDA};
    const size_t frame = size_t(std::search(jpeg.begin(), jpeg.end(), sof, sof + 2) - jpeg.begin());
    const size_t scan = size_t(std::search(jpeg.begin(), jpeg.end(), sos, sos + 2) - jpeg.begin());
    ASSERT_LT(scan + 10, jpeg.size());
    ASSERT_EQ(jpeg[frame + 4], sixteen ? 16 : 8);
    for (int k = 0; rgb && k < 3; ++k)
        jpeg[frame + 10 + 3 * size_t(k)] = jpeg[scan + 5 + 2 * size_t(k)] = uint8_t("RGB"[k]);
    WriteAll(out, jpeg);
}

auto DicomLossless(int predictor, int pt, bool sixteen = false) {
    return [=](const std::string &out, const TestPage &p, const std::string &) {
        WriteDicomLossless(out, p, predictor, pt, sixteen);
    };
}

const Case kCases[] = {
    {"our tiff bilevel none", 1, Ours(kCompressNone), Reference::Source, 99, 1, 1},
    {"our tiff bilevel g3", 1, Ours(kCompressG3), Reference::Source, 99, 1, 1},
    {"our tiff bilevel g4", 1, Ours(kCompressG4), Reference::Source, 99, 1, 1},
    {"our tiff bilevel lzw", 1, Ours(kCompressLzw), Reference::Source, 99, 1, 1},
    {"our tiff bilevel packbits", 1, Ours(kCompressPackBits), Reference::Source, 99, 1, 1},
    {"our tiff gray none", 2, Ours(kCompressNone), Reference::Source, 99, 3, 1},
    {"our tiff gray lzw", 2, Ours(kCompressLzw), Reference::Source, 99, 3, 1},
    {"our tiff gray packbits", 2, Ours(kCompressPackBits), Reference::Source, 99, 3, 1},
    {"our tiff gray jpeg", 2, Ours(kCompressJpeg), Reference::Source, 31.5, 3, 1},
    {"our tiff rgb none", 3, Ours(kCompressNone), Reference::Source, 99, 7, 1},
    {"our tiff rgb lzw", 3, Ours(kCompressLzw), Reference::Source, 99, 7, 1},
    {"our tiff rgb packbits", 3, Ours(kCompressPackBits), Reference::Source, 99, 7, 1},
    {"our tiff rgb jpeg", 3, Ours(kCompressJpeg), Reference::Source, 31.5, 7, 1},
    {"our jpeg gray", 2, OurJpeg(), Reference::Source, 31.5, 3, 2},
    {"our jpeg rgb", 3, OurJpeg(), Reference::Source, 31.5, 7, 2},
    {"our jpeg rgb against djpeg", 3, OurJpeg(), Reference::Djpeg, 45, 7, 2},
    {"our bmp bilevel", 1, OurBmp(1), Reference::Convert, 99, 1, 6},
    {"our bmp gray", 2, OurBmp(3), Reference::Convert, 99, 3, 6},
    {"our bmp rgb", 3, OurBmp(7), Reference::Convert, 99, 7, 6},
    {"our bmp palette", 3, OurBmp(5), Reference::Convert, 99, 5, 6},
    {"tiffcp bilevel g3", 1, Tiffcp("-c g3"), Reference::TiffcpNone, 99, 1, 1},
    {"tiffcp bilevel g3 2d fill", 1, Tiffcp("-c g3:2d:fill"), Reference::TiffcpNone, 99, 1, 1},
    {"tiffcp bilevel g4", 1, Tiffcp("-c g4"), Reference::TiffcpNone, 99, 1, 1},
    {"tiffcp bilevel g4 big-endian", 1, Tiffcp("-B -c g4"), Reference::TiffcpNone, 99, 1, 1},
    {"tiffcp bilevel lzw", 1, Tiffcp("-c lzw"), Reference::TiffcpNone, 99, 1, 1},
    {"tiffcp gray packbits", 2, Tiffcp("-c packbits"), Reference::TiffcpNone, 99, 3, 1},
    {"tiffcp gray lzw predictor", 2, Tiffcp("-c lzw:2"), Reference::TiffcpNone, 99, 3, 1},
    {"tiffcp gray jpeg", 2, Tiffcp("-r 16 -c jpeg"), Reference::TiffcpNone, 45, 3, 1},
    // libtiff interpolates the 2 x 2 subsampled chroma, this library repeats it.
    {"tiffcp rgb jpeg ycbcr", 3, Tiffcp("-r 16 -c jpeg"), Reference::TiffcpNone, 38, 7, 1},
    {"tiffcp rgb lzw predictor", 3, Tiffcp("-c lzw:2"), Reference::TiffcpNone, 99, 7, 1},
    {"tiffcp rgb none strips", 3, Tiffcp("-c none -r 7"), Reference::TiffcpNone, 99, 7, 1},
    {"cjpeg rgb", 3, Command("cjpeg -outfile {out} {in}"), Reference::Djpeg, 45, 7, 2},
    {"cjpeg rgb 444 restarts", 3, Command("cjpeg -sample 1x1 -restart 1 -outfile {out} {in}"),
     Reference::Djpeg, 45, 7, 2},
    {"cjpeg rgb 2x2 optimised", 3, Command("cjpeg -sample 2x2 -optimize -outfile {out} {in}"),
     Reference::Djpeg, 45, 7, 2},
    {"cjpeg gray", 2, Command("cjpeg -grayscale -outfile {out} {in}"), Reference::Djpeg, 45, 3, 2},
    {"cjpeg progressive rgb 2x2 optimised restarts", 3,
     Command("cjpeg -progressive -optimize -restart 1 -sample 2x2 -outfile {out} {in}"),
     Reference::Djpeg, 45, 7, 2},
    {"cjpeg progressive rgb 444 fine", 3,
     Command("cjpeg -progressive -quality 98 -sample 1x1 -outfile {out} {in}"), Reference::Djpeg,
     45, 7, 2},
    {"cjpeg progressive rgb 2x1 restart rows", 3,
     Command("cjpeg -progressive -sample 2x1 -restart 1B -outfile {out} {in}"), Reference::Djpeg,
     45, 7, 2},
    // Non-interleaved DC scans, DC and AC refinements of several bits, and
    // chroma sampled 1x2 and 2x1 against luma 2x2.
    {"cjpeg progressive scan script", 3,
     Command("printf '0: 0 0 0 2; 1: 0 0 0 1; 2: 0 0 0 1; 0: 1 5 0 2; 2: 1 63 0 1; "
             "1: 1 63 0 0; 0: 6 63 0 2; 0: 1 63 2 1; 0: 0 0 2 1; 0 1 2: 0 0 1 0; "
             "0: 1 63 1 0; 2: 1 63 1 0;' >{out}.scans && cjpeg -scans {out}.scans "
             "-sample 2x2,1x2,2x1 -outfile {out} {in}; rm -f {out}.scans"),
     Reference::Djpeg, 45, 7, 2},
    {"cjpeg progressive gray", 2, Command("cjpeg -progressive -grayscale -outfile {out} {in}"),
     Reference::Djpeg, 45, 3, 2},
    {"convert progressive rgb", 3,
     Command("convert {in} -interlace JPEG -quality 85 {out}.jpg && mv {out}.jpg {out}"),
     Reference::Djpeg, 45, 7, 2},
    {"dcmtk lossless gray predictor 1", 2, DicomLossless(1, 0), Reference::Source, 99, 3, 2},
    {"dcmtk lossless gray predictor 4 point transform 2", 2, DicomLossless(4, 2), Reference::Source,
     99, 3, 2, 2},
    {"dcmtk lossless gray predictor 5", 2, DicomLossless(5, 0), Reference::Source, 99, 3, 2},
    {"dcmtk lossless gray predictor 6", 2, DicomLossless(6, 0), Reference::Source, 99, 3, 2},
    {"dcmtk lossless rgb predictor 7", 3, DicomLossless(7, 0), Reference::Source, 99, 7, 2},
    {"dcmtk lossless rgb predictor 2", 3, DicomLossless(2, 0), Reference::Source, 99, 7, 2},
    {"dcmtk lossless gray 16-bit predictor 3 point transform 1", 2, DicomLossless(3, 1, true),
     Reference::Source, 99, 3, 2},
    {"convert jpeg", 3, Command("convert {in} -quality 90 {out}.jpg && mv {out}.jpg {out}"),
     Reference::Djpeg, 45, 7, 2},
    {"convert bmp rgb v5 header", 3, Command("convert {in} {out}.bmp && mv {out}.bmp {out}"),
     Reference::Convert, 99, 7, 6},
    {"convert bmp 16 colours", 3, Command("convert {in} -colors 16 BMP3:{out}"), Reference::Convert,
     99, 4, 6},
    {"convert bmp 256 colours", 3,
     Command("convert {in} +noise Uniform -colors 200 -compress none BMP3:{out}"),
     Reference::Convert, 99, 5, 6},
    {"convert bmp rle8", 3,
     Command("convert {in} +noise Uniform -colors 200 -compress RLE BMP3:{out}"),
     Reference::Convert, 99, 5, 6},
    {"our rle4 codes", 3, RleBmp(true), Reference::Convert, 99, 4, 6},
    {"our rle8 codes", 3, RleBmp(false), Reference::Convert, 99, 5, 6},
    {"convert tiff palette lzw", 3,
     // A gradient, so that the palette needs eight bits.
     Command("convert -size 203x157 gradient:red-blue +noise Uniform -colors 50 -compress lzw "
             "{out}.tif && mv {out}.tif {out}"),
     // Its 16-bit colour map is brought to 8 bits by rounding here, by
     // truncation in ImageMagick: one level apart at most.
     Reference::TiffcpNone, 48, 5, 1},
    {"convert tiff group4", 1,
     Command("convert {in} -compress group4 {out}.tif && mv {out}.tif {out}"),
     Reference::TiffcpNone, 99, 1, 1},
};

TEST(ReaderRoundTrip, EveryFileReadsBackToItsPixels) {
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.name);
        const TestPage page = Page(c.pixelType);
        ScopedPath pnm("page.pnm"), file("file.img"), plain("plain.tif"), ref("ref.pnm");
        WritePnm(pnm.path, page);
        c.make(file.path, page, pnm.path);
        Rgb expected;
        switch (c.reference) {
            case Reference::Source:
                expected = FromPage(page);
                for (uint8_t &v : expected.data)
                    v = static_cast<uint8_t>(v >> c.clearedBits << c.clearedBits);
                break;
            case Reference::Djpeg:
                // Replicated chroma, as this library upsamples.
                Tool("djpeg -nosmooth -outfile " + Quote(ref.path) + " " + Quote(file.path));
                expected = LoadPnm(ref.path);
                break;
            case Reference::TiffcpNone:
                Tool("tiffcp -c none " + Quote(file.path) + " " + Quote(plain.path));
                Tool("convert " + Quote(plain.path) + " -depth 8 " + Quote(ref.path));
                expected = LoadPnm(ref.path);
                break;
            case Reference::Convert:
                Tool("convert " + Quote(file.path) + " -depth 8 " + Quote(ref.path));
                expected = LoadPnm(ref.path);
                break;
        }
        Decoded got;
        try {
            got = ReadWithLibrary(file.path);
        } catch (const CImageError &e) {
            ADD_FAILURE() << "raised " << int32_t(e.Code());
            continue;
        }
        EXPECT_EQ(got.image->FormatKind(), c.formatKind);
        EXPECT_EQ(got.image->ColourKind(), c.kind);
        EXPECT_EQ(got.pixels.width, kWidth);
        EXPECT_EQ(got.pixels.height, kHeight);
        const ImageRect r = got.image->GetRect();
        EXPECT_TRUE(r.left == 0 && r.top == 0 && r.right == kWidth && r.bottom == kHeight);
        EXPECT_EQ(got.image->RowBytes(), CComImage::BytesPerRow(kWidth, c.kind));
        if (c.reference == Reference::Source && c.name[0] == 'o') {
            EXPECT_EQ(got.image->XResolution(), 300 << 16);
        }
        const double psnr = Psnr(got.pixels, expected);
        if (c.minPsnr >= 99) {
            EXPECT_TRUE(got.pixels.data == expected.data) << "PSNR " << psnr;
        } else {
            EXPECT_GE(psnr, c.minPsnr);
        }
        // Our own writers' JPEG must also agree with the encoder's input.
        if (c.reference != Reference::Source && c.formatKind == 2 && c.name[0] == 'o') {
            EXPECT_GE(Psnr(got.pixels, FromPage(page)), 31.5);
        }
    }
}

}  // namespace

namespace {

// The fields the readers fill from what ImageMagick writes: density in
// dots per centimetre, the comment, the encoded length.
TEST(ReaderRoundTrip, FieldsFromForeignFiles) {
    struct Row {
        const char *file;
        int formatKind;
        const char *comment;
    };
    const Row rows[] = {
        {"JPEG:{out}", 2, "scanned by corv"},
        {"TIFF:{out}", 1, "scanned by corv"},
        {"BMP3:{out}", 6, ""},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.file);
        ScopedPath file("fields.img");
        std::string out = r.file;
        out.replace(out.find("{out}"), 5, file.path);
        Tool(
            "convert -size 40x30 gradient:white-black -depth 8 -density 100 -units "
            "PixelsPerCentimeter -set comment 'scanned by corv' " +
            Quote(out));
        Decoded d = ReadWithLibrary(file.path);
        EXPECT_EQ(d.image->FormatKind(), r.formatKind);
        // 100 per centimetre is 254 per inch (BMP keeps whole dots per metre).
        EXPECT_NEAR(d.image->XResolution() / 65536.0, 254.0, 0.01);
        EXPECT_NEAR(d.image->YResolution() / 65536.0, 254.0, 0.01);
        EXPECT_EQ(std::string(d.image->Comment().begin(), d.image->Comment().end()), r.comment);
        EXPECT_GT(d.image->EncodedLength(), 0);
        EXPECT_LE(d.image->EncodedLength(), int64_t(ReadAll(file.path).size()));
    }
}

}  // namespace
