// Every stream is decoded by libjpeg-turbo's djpeg (and TIFF files with JPEG
// strips by libtiff's tools), which share no code with this encoder.
#include "ImgToJPEG.h"
#include "ImgToTIFF2.h"
#include "JPEGImage.h"
#include "MemoryFile.h"

#include "../../tests/ExternalTools.h"
#include "../../tests/TempPath.h"
#include "../../tests/TestImages.h"
#include "../../tests/TiffInspect.h"
#include "../../tests/Decoders.h"
#include "JpegTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace corv;
using namespace corv::test;

namespace {

// A page with smooth shading, sharp edges (an "F") and a little noise, like
// a scanned photograph with text; colour channels differ.
TestPage MakeScan(int pixelType, int width, int height) {
    TestPage page = MakePage(pixelType, width, height, Pattern::F);
    const int samples = pixelType == kPixelRgb ? 3 : 1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < samples; ++c) {
                uint8_t &v = page.rows[(size_t(y) * width + x) * samples + c];
                const int shade =
                    (x * (97 + 40 * c) / (width + 1) + y * (61 + 30 * c) / (height + 1)) / 2;
                v = static_cast<uint8_t>((v * 3 + shade + (FNoise(x, y, c + 9) & 7)) / 4);
            }
    return page;
}

// Any of the eleven presets, through the image directly.
std::vector<uint8_t> EncodePreset(const TestPage &p, int preset) {
    CMemoryFile f;
    f.Open(kOpenReadWrite);
    CJPEGImage image;
    image.SetStreamBorrowed(true);
    image.ApplyPreset(preset);
    const int kind = p.pixelType == kPixelGray ? kKindGray8 : kKindRgb24;
    image.OpenWrite(&f, p.width, p.height, kind, 300 << 16);
    ImageBand band;
    band.Shape(kind, p.width, p.height, p.height);
    std::memcpy(band.Data(), p.rows.data(), p.rows.size());
    band.top = 0;
    band.bottom = p.height;
    image.WriteBand(band);
    image.Finish();
    return {f.Data(), f.Data() + f.Size()};
}

struct Decoded {
    bool ok = false;
    int width = 0, height = 0, samples = 0;
    std::vector<uint8_t> pixels;
    std::string err;
};

Decoded Djpeg(const std::vector<uint8_t> &jpeg) {
    ScopedPath in("in.jpg"), out("out.pnm");
    WriteAll(in.path, jpeg);
    ToolRun r = RunTool("djpeg -dct int -pnm -outfile " + Quote(out.path) + " " + Quote(in.path));
    Decoded d;
    d.err = r.err;
    const std::vector<uint8_t> pnm = ReadAll(out.path);
    int maxval = 0, used = 0;
    char kind = 0;
    if (r.status != 0 || !r.err.empty() || pnm.size() < 2 ||
        std::sscanf(reinterpret_cast<const char *>(pnm.data()), "P%c %d %d %d%n", &kind, &d.width,
                    &d.height, &maxval, &used) != 4)
        return d;
    d.samples = kind == '6' ? 3 : 1;
    d.pixels.assign(pnm.begin() + used + 1, pnm.end());
    d.ok = d.pixels.size() == size_t(d.width) * d.height * d.samples;
    return d;
}

// Least PSNR (dB) each preset must reach on the scan-like pages (the small
// noisy colour pages are the hardest; 2x2 subsampling from preset 6 on).
constexpr double kMinPsnr[11] = {42, 36.5, 31.5, 30.5, 29.5, 26, 19.5, 19.5, 19, 18.5, 18};

const int kSizes[][2] = {{1, 1}, {13, 7}, {17, 33}, {40, 160}, {64, 64}, {101, 75}};

void ExpectDecodes(const std::vector<uint8_t> &jpeg, const TestPage &page, double minPsnr) {
    const Decoded d = Djpeg(jpeg);
    ASSERT_TRUE(d.ok) << d.err;
    EXPECT_EQ(d.width, page.width);
    EXPECT_EQ(d.height, page.height);
    EXPECT_EQ(d.samples, page.pixelType == kPixelRgb ? 3 : 1);
    EXPECT_GE(Psnr(d.pixels, page.rows), minPsnr);
}

TEST(JpegDecoder, SavePathQualitiesDecodeCloseToTheInput) {
    for (int type : {kPixelGray, kPixelRgb})
        for (int quality = 1; quality <= 4; ++quality)
            for (const auto &size : kSizes) {
                SCOPED_TRACE(testing::Message() << "type " << type << " quality " << quality << " "
                                                << size[0] << "x" << size[1]);
                const TestPage page = MakeScan(type, size[0], size[1]);
                ExpectDecodes(EncodeJpeg(page, quality), page,
                              kMinPsnr[JpegPresetForQuality(quality)]);
            }
}

TEST(JpegDecoder, EveryPresetDecodesCloseToTheInput) {
    for (int type : {kPixelGray, kPixelRgb})
        for (int preset = 0; preset < kJpegPresetCount; ++preset)
            for (const auto &size : kSizes) {
                SCOPED_TRACE(testing::Message() << "type " << type << " preset " << preset << " "
                                                << size[0] << "x" << size[1]);
                const TestPage page = MakeScan(type, size[0], size[1]);
                ExpectDecodes(EncodePreset(page, preset), page, kMinPsnr[preset]);
            }
}

// The quantisation tables of a JPEG stream in natural order, as cjpeg's
// -qtables file wants them.
std::string QuantTables(const std::vector<uint8_t> &jpeg) {
    std::string text;
    for (size_t i = 2; i + 4 < jpeg.size() && jpeg[i] == 0xFF && jpeg[i + 1] != 0xDA;) {
        const size_t length = size_t(jpeg[i + 2]) << 8 | jpeg[i + 3];
        if (jpeg[i + 1] == 0xDB) {
            int natural[64];
            for (int k = 0; k < 64; ++k)
                natural[kJpegNaturalOrder[k]] = jpeg[i + 5 + k];
            for (int k = 0; k < 64; ++k)
                text += std::to_string(natural[k]) + (k % 8 == 7 ? "\n" : " ");
        }
        i += 2 + length;
    }
    return text;
}

// libjpeg at the very tables, sampling and restart interval of ours must
// not write a smaller file or a closer picture: the coefficients are
// rounded once, Cb and Cr as Y.
TEST(JpegDecoder, AsSmallAndAsCloseAsLibjpegAtTheSameTables) {
    for (int type : {kPixelGray, kPixelRgb})
        for (int quality = 1; quality <= 4; ++quality) {
            SCOPED_TRACE(testing::Message() << "type " << type << " quality " << quality);
            const TestPage page = MakeScan(type, 512, 384);
            const std::vector<uint8_t> ours = EncodeJpeg(page, quality);
            ScopedPath input(type == kPixelRgb ? "page.ppm" : "page.pgm"), tables("tables.txt"),
                out("theirs.jpg");
            std::string header = std::string(type == kPixelRgb ? "P6" : "P5") + " 512 384 255\n";
            std::vector<uint8_t> pnm(header.begin(), header.end());
            pnm.insert(pnm.end(), page.rows.begin(), page.rows.end());
            WriteAll(input.path, pnm);
            const std::string qt = QuantTables(ours);
            WriteAll(tables.path, std::vector<uint8_t>(qt.begin(), qt.end()));
            ASSERT_EQ(RunTool("cjpeg -dct int -sample 1x1,1x1,1x1 -baseline -quality 50 -qtables " +
                              Quote(tables.path) + " -qslots 0,1,1 -restart 8 -outfile " +
                              Quote(out.path) + " " + Quote(input.path))
                          .status,
                      0);
            const std::vector<uint8_t> theirs = ReadAll(out.path);
            EXPECT_LE(double(ours.size()), 1.01 * double(theirs.size()));
            const Decoded a = Djpeg(ours), b = Djpeg(theirs);
            EXPECT_GE(Psnr(a.pixels, page.rows), Psnr(b.pixels, page.rows) - 0.05);
        }
}

TEST(JpegDecoder, FlatPagesComeBackExactlyWithTheFinestPreset) {
    // Flat colours survive the finest tables exactly; padding and the
    // colour round trip must not shift a single level.
    for (int type : {kPixelGray, kPixelRgb}) {
        TestPage page = MakePage(type, 19, 11, Pattern::White);
        for (size_t i = 0; i < page.rows.size(); ++i)
            page.rows[i] = static_cast<uint8_t>(type == kPixelGray ? 77 : (i % 3) * 100);
        const Decoded d = Djpeg(EncodeJpeg(page, 4));
        ASSERT_TRUE(d.ok) << d.err;
        EXPECT_GE(Psnr(d.pixels, page.rows), 45) << type;
    }
}

TEST(JpegDecoder, TiffWithJpegStripsReadsBackThroughLibtiff) {
    RegisterJpegStripWriter();
    for (int type : {kPixelGray, kPixelRgb}) {
        SCOPED_TRACE(type);
        ScopedPath tif("jpeg.tif"), plain("plain.tif");
        // 3000 RGB pixels: RowsPerStrip is raised to 8; 101 rows end in a
        // 5-row strip.
        const TestPage page = MakeScan(type, type == kPixelRgb ? 3000 : 700, 101);
        {
            CTiffOption option(1, kTiffOptionJpeg, 2);
            CImgToTIFF2 w;
            w.Open(&option, tif.path.c_str());
            w.BeginPage(CImgParam(type, page.width, page.height, page.RowBytes(), 300));
            w.WriteData(page.rows.size(), page.rows.data());
            w.EndPage();
            w.Close();
        }
        ToolRun info = RunTool("tiffinfo -D " + Quote(tif.path));
        EXPECT_EQ(info.status, 0) << info.err;
        EXPECT_NE(info.out.find("JPEG"), std::string::npos) << info.out;
        ToolRun cp = RunTool("tiffcp -c none " + Quote(tif.path) + " " + Quote(plain.path));
        ASSERT_EQ(cp.status, 0) << cp.err;
        const std::vector<uint8_t> bytes = ReadAll(plain.path);
        const TiffFile f = Inspect(bytes);
        ASSERT_EQ(f.ifds.size(), 1u);
        const std::vector<uint8_t> pixels = StripBytes(bytes, f.ifds[0]);
        ASSERT_EQ(pixels.size(), page.rows.size());
        EXPECT_GE(Psnr(pixels, page.rows), kMinPsnr[2]);
    }
}

}  // namespace
