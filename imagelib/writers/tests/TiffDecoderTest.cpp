// Every file is read back by libtiff (tiffinfo -D, tiffcp) and ImageMagick,
// which this library does not share a line of code with.
#include "ImgToTIFF2.h"

#include "../../tests/ExternalTools.h"
#include "../../tests/TempPath.h"
#include "../../tests/TestImages.h"
#include "../../tests/TiffInspect.h"
#include "../../tests/Decoders.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace corv;
using namespace corv::test;

namespace {

enum class Mode { None, G3, G4, Lzw, PackBits };

CTiffOption OptionFor(Mode m) {
    CTiffOption o(1, 1, 2);
    if (m == Mode::G3)
        o.BilevelCompression = kTiffOptionG3;
    if (m == Mode::G4)
        o.BilevelCompression = kTiffOptionG4;
    if (m == Mode::Lzw)
        o.StripCompression = kCompressLzw;
    if (m == Mode::PackBits)
        o.StripCompression = kCompressPackBits;
    return o;
}

void WriteFile(const std::string &path, const std::vector<TestPage> &pages, Mode m) {
    CTiffOption option = OptionFor(m);
    CImgToTIFF2 w;
    w.Open(&option, path.c_str());
    for (const TestPage &p : pages) {
        w.BeginPage(CImgParam(p.pixelType, p.width, p.height, p.RowBytes(), 600));
        w.WriteData(p.rows.size(), p.rows.data());
        w.EndPage();
    }
    w.Close();
}

// Padding bits at the end of bilevel rows carry no pixels.
std::vector<uint8_t> MaskPadding(std::vector<uint8_t> rows, const TestPage &p) {
    if (p.pixelType != 1 || p.width % 8 == 0)
        return rows;
    uint8_t mask = static_cast<uint8_t>(0xFF << (8 - p.width % 8));
    for (int y = 0; y < p.height; ++y)
        rows[size_t(y) * p.RowBytes() + p.RowBytes() - 1] &= mask;
    return rows;
}

void ExpectValid(const std::string &path, size_t pages) {
    ToolRun r = RunTool("tiffinfo -D " + Quote(path));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err.find("rror"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("arning"), std::string::npos) << r.err;
    size_t dirs = 0;
    for (size_t at = 0; (at = r.out.find("TIFF Directory", at)) != std::string::npos; ++at)
        ++dirs;
    EXPECT_EQ(dirs, pages);
}

void ExpectRoundTrip(const std::vector<TestPage> &pages, Mode m, const std::string &label) {
    SCOPED_TRACE(label);
    ScopedPath p("roundtrip.tif");
    WriteFile(p.path, pages, m);
    ExpectValid(p.path, pages.size());
    auto decoded = DecodeWithLibtiff(p.path);
    ASSERT_EQ(decoded.size(), pages.size()) << label;
    for (size_t i = 0; i < pages.size(); ++i)
        EXPECT_TRUE(MaskPadding(decoded[i], pages[i]) == MaskPadding(pages[i].rows, pages[i]))
            << label << " page " << i;
}

// Wraps one single-strip Group 3 page in a PDF image with the
// /CCITTFaxDecode filter and extracts it with poppler's pdfimages, whose fax
// decoder shares nothing with libtiff. Returns the PBM rows (1 = black).
std::vector<uint8_t> DecodeG3WithPoppler(const std::vector<uint8_t> &tiff, int width, int height) {
    TiffFile f = Inspect(tiff);
    const TiffIfd &ifd = f.ifds.at(0);
    EXPECT_EQ(ifd.tags.at(273).count, 1u);
    std::string code(tiff.begin() + ifd.Get(273), tiff.begin() + ifd.Get(273) + ifd.Get(279));
    const std::string w = std::to_string(width), h = std::to_string(height);
    const std::string content = "q " + w + " 0 0 " + h + " 0 0 cm /Im0 Do Q";
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + w + " " + h +
            "] /Resources << /XObject << /Im0 5 0 R >> >> /Contents 4 0 R >>",
        "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream",
        "<< /Type /XObject /Subtype /Image /Width " + w + " /Height " + h +
            " /ColorSpace /DeviceGray /BitsPerComponent 1 /Filter /CCITTFaxDecode"
            " /DecodeParms << /K 0 /Columns " +
            w + " /Rows " + h + " /EndOfLine true /BlackIs1 false >> /Length " +
            std::to_string(code.size()) + " >>\nstream\n" + code + "\nendstream",
    };
    std::string pdf = "%PDF-1.4\n";
    std::vector<size_t> offsets;
    for (size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (size_t at : offsets) {
        char line[32];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", at);
        pdf += line;
    }
    pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    ScopedPath pdfPath("g3.pdf"), out("image");
    WriteAll(pdfPath.path, std::vector<uint8_t>(pdf.begin(), pdf.end()));
    ToolRun r = RunTool("pdfimages " + Quote(pdfPath.path) + " " + Quote(out.path));
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string pbm = out.path + "-000.pbm";
    auto bytes = ReadAll(pbm);
    std::remove(pbm.c_str());
    size_t size = size_t((width + 7) / 8) * height;
    if (bytes.size() < size)
        return {};
    return std::vector<uint8_t>(bytes.end() - size, bytes.end());
}

const Pattern kAllPatterns[] = {Pattern::White,  Pattern::Black, Pattern::Stripes, Pattern::Checker,
                                Pattern::Random, Pattern::F,     Pattern::LongRuns};

std::string Name(Pattern p) {
    const char *names[] = {"white", "black", "stripes", "checker", "random", "F", "longruns"};
    return names[static_cast<int>(p)];
}

}  // namespace

// libtiff 4.5's one-dimensional fax decoder keeps room for as many runs as
// the width rounded up to 32, one fewer than a line that starts black and
// changes colour at every pixel needs; it refuses its own `tiffcp -c g3`
// output of such a line. Those lines are checked through poppler instead.
bool LibtiffCannotDecodeG3(Mode m, int width, Pattern p) {
    return m == Mode::G3 && width % 32 == 0 &&
           (p == Pattern::Stripes || p == Pattern::Checker || p == Pattern::LongRuns);
}

TEST(TiffDecoder, FaxPagesDecodeToTheInputPixels) {
    for (Mode m : {Mode::G3, Mode::G4})
        for (int width : {1, 7, 13, 1001, 1728, 2550, 6000})
            for (Pattern p : kAllPatterns)
                if (!LibtiffCannotDecodeG3(m, width, p))
                    ExpectRoundTrip({MakePage(1, width, 37, p)}, m,
                                    std::string(m == Mode::G3 ? "g3 " : "g4 ") +
                                        std::to_string(width) + " " + Name(p));
}

TEST(TiffDecoder, PopplerDecodesTheG3LinesLibtiffCannot) {
    for (int width : {32, 64, 1728})
        for (Pattern p : {Pattern::Stripes, Pattern::Checker, Pattern::LongRuns, Pattern::F}) {
            SCOPED_TRACE(std::to_string(width) + " " + Name(p));
            TestPage page = MakePage(1, width, 20, p);
            ScopedPath tif("g3.tif");
            WriteFile(tif.path, {page}, Mode::G3);
            auto pbm = DecodeG3WithPoppler(ReadAll(tif.path), width, 20);
            ASSERT_EQ(pbm.size(), page.rows.size());
            for (auto &b : pbm)
                b = static_cast<uint8_t>(~b);
            EXPECT_TRUE(pbm == page.rows);
        }
}

TEST(TiffDecoder, RunsLongerThan2560UseExtendedMakeUpCodes) {
    // Whole rows of one colour, 5200 and 7777 pixels wide, alternating.
    for (Mode m : {Mode::G3, Mode::G4})
        for (int width : {2560, 2561, 5200, 7777}) {
            TestPage page = MakePage(1, width, 6, Pattern::White);
            for (int y = 1; y < 6; y += 2)
                std::fill(page.rows.begin() + size_t(y) * page.RowBytes(),
                          page.rows.begin() + size_t(y + 1) * page.RowBytes(), 0x00);
            ExpectRoundTrip({page}, m, "long " + std::to_string(width));
        }
}

TEST(TiffDecoder, EveryCompressionAndPixelTypeRoundTrips) {
    for (Mode m : {Mode::None, Mode::Lzw, Mode::PackBits})
        for (int type : {1, 2, 3})
            for (Pattern p : {Pattern::White, Pattern::Random, Pattern::F, Pattern::Stripes})
                ExpectRoundTrip({MakePage(type, type == 1 ? 2550 : 777, 61, p)}, m,
                                "type " + std::to_string(type) + " " + Name(p));
}

TEST(TiffDecoder, LzwStripsWithTableResets) {
    // Noise fills the 4096-entry table several times within one 8 KB strip.
    ExpectRoundTrip({MakePage(2, 8192, 12, Pattern::Random)}, Mode::Lzw, "lzw noise");
    ExpectRoundTrip({MakePage(3, 2731, 5, Pattern::Random)}, Mode::Lzw, "lzw wide rgb");
}

TEST(TiffDecoder, MultiPageFilesOfMixedPages) {
    std::vector<TestPage> pages = {MakePage(1, 1001, 50, Pattern::F),
                                   MakePage(1, 2550, 80, Pattern::Random),
                                   MakePage(1, 6000, 9, Pattern::LongRuns)};
    for (Mode m : {Mode::G3, Mode::G4})
        ExpectRoundTrip(pages, m, "multi fax");
    std::vector<TestPage> mixed = {MakePage(2, 333, 33, Pattern::F), MakePage(1, 99, 9, Pattern::F),
                                   MakePage(3, 301, 77, Pattern::Random)};
    for (Mode m : {Mode::None, Mode::Lzw, Mode::PackBits})
        ExpectRoundTrip(mixed, m, "multi mixed");
}

TEST(TiffDecoder, ImageMagickReadsTheSamePixels) {
    TestPage page = MakePage(1, 1001, 64, Pattern::F);
    for (Mode m : {Mode::G3, Mode::G4, Mode::None}) {
        ScopedPath tif("magick.tif"), gray("magick.gray");
        WriteFile(tif.path, {page}, m);
        ToolRun r = RunTool("convert " + Quote(tif.path) + " -depth 8 gray:" + Quote(gray.path));
        ASSERT_EQ(r.status, 0) << r.err;
        auto pixels = ReadAll(gray.path);
        ASSERT_EQ(pixels.size(), size_t(1001) * 64);
        int wrong = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 1001; ++x)
                wrong += (pixels[size_t(y) * 1001 + x] == 0) != page.Black(x, y);
        EXPECT_EQ(wrong, 0);
    }
}

TEST(TiffDecoder, Tiff2PdfAcceptsFaxPages) {
    ScopedPath tif("pdf.tif"), pdf("out.pdf");
    WriteFile(tif.path,
              {MakePage(1, 1728, 200, Pattern::F), MakePage(1, 1728, 100, Pattern::Random)},
              Mode::G4);
    ToolRun r = RunTool("tiff2pdf -o " + Quote(pdf.path) + " " + Quote(tif.path));
    EXPECT_EQ(r.status, 0) << r.err;
    ToolRun info = RunTool("pdfinfo " + Quote(pdf.path));
    EXPECT_NE(info.out.find("Pages:           2"), std::string::npos) << info.out << info.err;
}
