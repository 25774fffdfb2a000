// Every PDF is checked by qpdf and read back by poppler (pdfinfo, pdfimages,
// pdftoppm), which share no code with this writer.
#include "../../tests/Decoders.h"
#include "ImgToJPEG.h"
#include "PdfTestSupport.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <sstream>

using namespace corv;
using namespace corv::test;

namespace {

int InfoNumber(const std::string &info, const std::string &key) {
    const size_t at = info.find("\n" + key + ":");
    return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + key.size() + 2);
}

// The page's pixels as pdfimages writes them: PBM keeps 1 for black, and
// gray images come out as PPM.
std::vector<uint8_t> AsPnmData(const TestPage &page) {
    std::vector<uint8_t> out;
    if (page.pixelType == kPixelBilevel) {
        for (uint8_t b : page.rows)
            out.push_back(static_cast<uint8_t>(~b));
        return ClearRowTails(out, page.width);
    }
    if (page.pixelType == kPixelGray) {
        for (uint8_t v : page.rows)
            out.insert(out.end(), 3, v);
        return out;
    }
    return page.rows;
}

void WritePdfFile(const std::string &path, CPdfOption option, const std::vector<TestPage> &pages,
                  size_t chunk, int pad) {
    CImgToPDF writer;
    writer.Open(&option, path.c_str());
    for (const TestPage &page : pages)
        WritePage(writer, page, 300, chunk, pad);
    writer.Close();
}

std::vector<std::string> Lines(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

void ExpectQpdfAccepts(const std::string &path) {
    const ToolRun r = RunTool("qpdf --check " + Quote(path));
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("No syntax or stream encoding errors"), std::string::npos) << r.out;
    EXPECT_EQ(r.err, "");
}

const char *EncodingOf(const TestPage &page, const CPdfOption &option) {
    if (page.pixelType == kPixelBilevel)
        return option.BilevelCompression == kPdfBilevelNone ? "image" : "ccitt";
    return option.ColorCompression == kPdfColorJpeg ? "jpeg" : "image";
}

// Odd widths and heights, pages of every pixel type in one file.
std::vector<TestPage> MixedPages() {
    return {MakePage(kPixelBilevel, 333, 310, Pattern::F),
            MakePage(kPixelGray, 301, 303, Pattern::F), MakePage(kPixelRgb, 305, 300, Pattern::F),
            MakePage(kPixelBilevel, 1001, 320, Pattern::LongRuns),
            MakePage(kPixelBilevel, 307, 301, Pattern::Random)};
}

struct OptionCase {
    int bilevel, color;
    bool ascii85;
} const kOptionCases[] = {{1, 1, false}, {2, 2, false}, {3, 2, true},
                          {2, 1, true},  {3, 1, false}, {1, 2, true}};

}  // namespace

TEST(PdfDecoder, QpdfAcceptsAndPopplerExtractsTheInputPixels) {
    const std::vector<TestPage> pages = MixedPages();
    for (const OptionCase &c : kOptionCases) {
        const CPdfOption option(2, c.bilevel, c.color, c.ascii85);
        SCOPED_TRACE(testing::Message() << "bilevel " << c.bilevel << " color " << c.color
                                        << " ascii85 " << c.ascii85);
        ScopedPath pdf("mixed.pdf");
        WritePdfFile(pdf.path, option, pages, 4093, 2);
        ExpectQpdfAccepts(pdf.path);

        const ToolRun info = RunTool("pdfinfo " + Quote(pdf.path));
        EXPECT_EQ(InfoNumber(info.out, "Pages"), 5) << info.out;
        EXPECT_NE(info.out.find("PDF version:     1.2\n"), std::string::npos) << info.out;

        const std::vector<std::string> list =
            Lines(RunTool("pdfimages -list " + Quote(pdf.path)).out);
        ASSERT_EQ(list.size(), pages.size() + 2);
        for (size_t i = 0; i < pages.size(); ++i) {
            std::istringstream row(list[i + 2]);
            int page = 0, num = 0, width = 0, height = 0, bpc = 0, comp = 0;
            std::string type, color, enc;
            row >> page >> num >> type >> width >> height >> color >> comp >> bpc >> enc;
            EXPECT_EQ(page, int(i) + 1);
            EXPECT_EQ(width, pages[i].width);
            EXPECT_EQ(height, pages[i].height);
            EXPECT_EQ(color, pages[i].pixelType == kPixelRgb ? "rgb" : "gray");
            EXPECT_EQ(bpc, pages[i].pixelType == kPixelBilevel ? 1 : 8);
            EXPECT_EQ(enc, EncodingOf(pages[i], option)) << list[i + 2];
        }

        ScopedPath prefix("img");
        RunTool("pdfimages " + Quote(pdf.path) + " " + Quote(prefix.path));
        for (size_t i = 0; i < pages.size(); ++i) {
            const char *ext = pages[i].pixelType == kPixelBilevel ? "pbm" : "ppm";
            char leaf[32];
            std::snprintf(leaf, sizeof leaf, "-%03d.%s", int(i), ext);
            ScopedPath image("unused");
            image.path = prefix.path + leaf;
            Pnm got = ReadPnm(image.path);
            if (pages[i].pixelType == kPixelBilevel)
                got.data = ClearRowTails(got.data, got.width);
            EXPECT_EQ(got.width, pages[i].width) << leaf;
            EXPECT_EQ(got.height, pages[i].height) << leaf;
            if (std::string(EncodingOf(pages[i], option)) == "jpeg")
                EXPECT_GE(Psnr(got.data, AsPnmData(pages[i])), 25.0) << leaf;
            else
                EXPECT_EQ(got.data, AsPnmData(pages[i])) << leaf;
        }
    }
}

// Rendered at the scan resolution, each page is the input's size and shows
// its pixels: poppler filters images while it draws them, so pixel exactness
// is checked on the extracted images above and here only a sliver of edge
// pixels may differ (sizes in whole hundredths of a point keep the box
// exact).
TEST(PdfDecoder, PagesRenderToTheInputPixels) {
    const std::vector<TestPage> pages = {
        MakePage(kPixelBilevel, 325, 300, Pattern::F), MakePage(kPixelGray, 300, 325, Pattern::F),
        MakePage(kPixelRgb, 350, 300, Pattern::F), MakePage(kPixelBilevel, 400, 350, Pattern::F)};
    for (const OptionCase &c : {kOptionCases[0], kOptionCases[2]}) {
        const CPdfOption option(4, c.bilevel, c.color, c.ascii85);
        ScopedPath pdf("render.pdf"), prefix("page");
        WritePdfFile(pdf.path, option, pages, 65535, 0);
        const ToolRun r = RunTool("pdftoppm -r 300 -aa no -aaVector no " + Quote(pdf.path) + " " +
                                  Quote(prefix.path));
        ASSERT_EQ(r.status, 0) << r.err;
        for (size_t i = 0; i < pages.size(); ++i) {
            ScopedPath page("unused");
            page.path = prefix.path + "-" + std::to_string(i + 1) + ".ppm";
            const Pnm got = ReadPnm(page.path);
            ASSERT_EQ(got.width, pages[i].width) << i;
            ASSERT_EQ(got.height, pages[i].height) << i;
            std::vector<uint8_t> expected(size_t(got.width) * got.height * 3);
            for (int y = 0; y < got.height; ++y)
                for (int x = 0; x < got.width; ++x)
                    for (int k = 0; k < 3; ++k) {
                        const TestPage &p = pages[i];
                        uint8_t v = p.pixelType == kPixelBilevel ? (p.Black(x, y) ? 0 : 255)
                                    : p.pixelType == kPixelGray
                                        ? p.rows[size_t(y) * p.width + x]
                                        : p.rows[(size_t(y) * p.width + x) * 3 + k];
                        expected[(size_t(y) * got.width + x) * 3 + k] = v;
                    }
            if (std::string(EncodingOf(pages[i], option)) == "jpeg")
                EXPECT_GE(Psnr(got.data, expected), 25.0) << i;
            else {
                size_t differ = 0;
                for (size_t k = 0; k < expected.size(); ++k)
                    differ += std::abs(got.data[k] - expected[k]) > 48;
                EXPECT_LT(double(differ) / double(expected.size()), 0.01) << "page " << i + 1;
            }
        }
    }
}

// The DCT stream inside the PDF is exactly the JPEG file the JPEG writer
// makes of the same page.
TEST(PdfDecoder, JpegImagesAreTheJpegWritersFiles) {
    for (int type : {kPixelGray, kPixelRgb}) {
        const TestPage page = MakePage(type, 123, 77, Pattern::F);
        ScopedPath pdf("jpeg.pdf"), prefix("dct"), jpeg("plain.jpg");
        WritePdfFile(pdf.path, CPdfOption(3, 1, 2, true), {page}, 1000, 1);
        ExpectQpdfAccepts(pdf.path);
        CJpegOption option;
        option.Quality = 3;
        CImgToJPEG writer;
        writer.Open(&option, jpeg.path.c_str());
        WritePage(writer, page, 300, 1 << 20);
        writer.Close();
        RunTool("pdfimages -j " + Quote(pdf.path) + " " + Quote(prefix.path));
        ScopedPath extracted("unused");
        extracted.path = prefix.path + "-000.jpg";
        EXPECT_EQ(ReadAll(extracted.path), ReadAll(jpeg.path)) << type;
    }
}

// The narrowest pages leave the fax coders less room than their end codes
// need unless the coding buffer carries slack.
TEST(PdfDecoder, NarrowBilevelPagesDecodeExactly) {
    for (int bilevel : {kPdfBilevelNone, kPdfBilevelG3, kPdfBilevelG4}) {
        std::vector<TestPage> pages;
        for (int width : {1, 2, 7, 8, 9, 17})
            pages.push_back(MakePage(kPixelBilevel, width, 5 + width, Pattern::Checker));
        ScopedPath pdf("narrow.pdf"), prefix("n");
        WritePdfFile(pdf.path, CPdfOption(2, bilevel, 1, bilevel == kPdfBilevelG3), pages, 1, 1);
        ExpectQpdfAccepts(pdf.path);
        RunTool("pdfimages " + Quote(pdf.path) + " " + Quote(prefix.path));
        for (size_t i = 0; i < pages.size(); ++i) {
            ScopedPath image("unused");
            image.path = prefix.path + "-00" + std::to_string(i) + ".pbm";
            Pnm got = ReadPnm(image.path);
            EXPECT_EQ(got.height, pages[i].height);
            EXPECT_EQ(ClearRowTails(got.data, got.width), AsPnmData(pages[i]))
                << "coder " << bilevel << " width " << pages[i].width;
        }
    }
}
