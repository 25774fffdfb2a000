// A scanned-looking document page through the component and back through
// decoders we did not write: qpdf checks the file, poppler lists its images
// and renders it, and the render is compared with the page that went in.
#include "ExternalTools.h"
#include "TestPage.h"
#include "cvpsmrc.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace corv::mrc {
namespace {

using corv::test::Quote;
using corv::test::RunTool;
using corv::test::ScopedPath;
using corv::test::ToolRun;
using namespace corv::mrc::test;

// A Debian manual page with a heading, paragraphs and a bullet list.
constexpr char kSourcePdf[] = "/usr/share/doc/libtasn1-doc/libtasn1.pdf";
constexpr int kSourcePage = 4;
constexpr double kDpi = 300;

int32_t Convert(const std::string &tiff, const std::string &pdf) {
    const char *empty = "";
    const SInitOptions options{1, empty, empty, empty, empty, -1, -1};
    const SFolderOptions folder{2, "C:\\Corvane"};
    const int32_t six[6] = {0, -1, -1, -1, -1, -1};
    int32_t rc = CVMRCPDFInit(pdf.c_str(), 1, &options, &folder, 0);
    if (rc == 0)
        rc = CVMRCPDFFile(tiff.c_str(), 0, six, 0);
    if (rc == 0)
        rc = CVMRCPDFEnd();
    return rc;
}

Raster Render(const std::string &pdf, int page, bool grey, const std::string &prefix) {
    const ToolRun r = RunTool("pdftoppm -r 300 -singlefile " + std::string(grey ? "-gray " : "") +
                              "-f " + std::to_string(page) + " -l " + std::to_string(page) + " " +
                              Quote(pdf) + " " + Quote(prefix));
    Raster out;
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(LoadPnm(prefix + (grey ? ".pgm" : ".ppm"), out));
    std::remove((prefix + (grey ? ".pgm" : ".ppm")).c_str());
    return out;
}

// Ink pixels of a PBM mask inside and outside a box (ink: the minority).
struct MaskCount {
    int64_t inside = 0, outside = 0;
};
MaskCount CountMask(const std::string &pbm, const Box &box) {
    const std::vector<uint8_t> bytes = corv::test::ReadAll(pbm);
    int w = 0, h = 0, consumed = 0;
    MaskCount ones, zeros;
    if (std::sscanf(reinterpret_cast<const char *>(bytes.data()), "P4 %d %d%n", &w, &h,
                    &consumed) != 2)
        return ones;
    const size_t rowBytes = size_t(w + 7) / 8, start = size_t(consumed) + 1;
    if (bytes.size() < start + rowBytes * h)
        return ones;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool one = bytes[start + y * rowBytes + x / 8] & (0x80 >> (x % 8));
            MaskCount &c = one ? ones : zeros;
            (box.Holds(x, y) ? c.inside : c.outside)++;
        }
    return ones.inside + ones.outside < zeros.inside + zeros.outside ? ones : zeros;
}

TEST(MrcEndToEnd, ScannedDocumentPageComesBackLegibleAndSmall) {
    ScopedPath source("source"), tiff("scan.tif"), pdf("scan.pdf"), images("images"),
        render("render");
    const ToolRun rendered =
        RunTool("pdftoppm -r 300 -singlefile -f " + std::to_string(kSourcePage) + " -l " +
                std::to_string(kSourcePage) + " " + Quote(kSourcePdf) + " " + Quote(source.path));
    ASSERT_EQ(rendered.status, 0) << "scripts/bootstrap installs libtasn1-doc: " << rendered.err;
    Raster original;
    ASSERT_TRUE(LoadPnm(source.path + ".ppm", original));
    std::remove((source.path + ".ppm").c_str());
    const ScannedPage scan = MakeScannedPage(original, 7);
    const Raster grey = ToGrey(scan.page);
    WriteTiff(tiff.path, {scan.page, grey}, kDpi);

    ASSERT_EQ(Convert(tiff.path, pdf.path), 0);

    const ToolRun check = RunTool("qpdf --check " + Quote(pdf.path));
    EXPECT_EQ(check.status, 0) << check.out << check.err;
    EXPECT_NE(check.out.find("No syntax or stream encoding errors"), std::string::npos);

    const ToolRun info = RunTool("pdfinfo " + Quote(pdf.path));
    EXPECT_NE(info.out.find("Pages:           2"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("612 x 792 pts"), std::string::npos) << info.out;
    EXPECT_TRUE(info.err.empty()) << info.err;

    // Per page: the background and foreground JPEGs and the Group 4 mask.
    const ToolRun list = RunTool("pdfimages -list " + Quote(pdf.path));
    for (const char *row : {"   1     0 image     850  1100  rgb     3   8  jpeg",
                            "   1     1 image     425   550  rgb     3   8  jpeg",
                            "   1     2 mask     2550  3300  -       1   1  ccitt",
                            "   2     3 image     850  1100  gray    1   8  jpeg",
                            "   2     4 image     425   550  gray    1   8  jpeg",
                            "   2     5 mask     2550  3300  -       1   1  ccitt"})
        EXPECT_NE(list.out.find(row), std::string::npos) << row << "\n" << list.out;

    // Pictures stay in the background: next to no mask ink inside the photo,
    // and about as much ink elsewhere as the page has dark pixels.
    ASSERT_EQ(RunTool("pdfimages -f 1 -l 1 " + Quote(pdf.path) + " " + Quote(images.path)).status,
              0);
    const MaskCount mask = CountMask(images.path + "-002.pbm", scan.photo);
    for (const char *leaf : {"-000.ppm", "-001.ppm", "-002.pbm"})
        std::remove((images.path + leaf).c_str());
    const int64_t photoArea =
        int64_t(scan.photo.x1 - scan.photo.x0) * (scan.photo.y1 - scan.photo.y0);
    EXPECT_LT(mask.inside, photoArea / 200);

    const Raster page1 = Render(pdf.path, 1, false, render.path);
    ASSERT_EQ(page1.width, scan.page.width);
    ASSERT_EQ(page1.height, scan.page.height);
    const double psnr = Psnr(scan.page, page1);
    const double photoPsnr = Psnr(scan.page, page1, scan.photo);
    const MarkAgreement marks = CompareMarks(scan.page, page1, scan.photo);
    std::printf(
        "page 1: PSNR %.2f dB, photo %.2f dB; %lld dark pixels, %lld missing, %lld extra; "
        "mask ink %lld\n",
        psnr, photoPsnr, (long long)marks.marks, (long long)marks.missing, (long long)marks.extra,
        (long long)mask.outside);
    // A bilevel mask cannot keep the grey edge pixels of each stroke: they
    // come back as ink or paper, which caps the whole page near 26 dB.
    EXPECT_GT(psnr, 25.0);
    EXPECT_GT(photoPsnr, 27.0);
    ASSERT_GT(marks.marks, 20000);
    EXPECT_LT(marks.missing, marks.marks / 200) << "text lost";
    EXPECT_LT(marks.extra, marks.marks / 200) << "marks added";
    EXPECT_GT(mask.outside, marks.marks * 8 / 10);
    EXPECT_LT(mask.outside, marks.marks * 13 / 10);

    // The heading keeps its colour: its ink is red, not black.
    int64_t red = 0, green = 0, n = 0;
    for (int y = scan.heading.y0; y < scan.heading.y1; ++y)
        for (int x = 0; x < page1.width; ++x)
            if (page1.Luma(x, y) < 110) {
                const uint8_t *p = &page1.pixels[(size_t(y) * page1.width + x) * 3];
                red += p[0], green += p[1], ++n;
            }
    ASSERT_GT(n, 1000);
    EXPECT_GT(red / n, green / n + 80) << "heading red " << red / n << " green " << green / n;

    const Raster page2 = Render(pdf.path, 2, true, render.path);
    ASSERT_EQ(page2.samples, 1);
    const double greyPsnr = Psnr(grey, page2);
    const MarkAgreement greyMarks = CompareMarks(grey, page2, scan.photo);
    std::printf("page 2: PSNR %.2f dB; %lld missing, %lld extra\n", greyPsnr,
                (long long)greyMarks.missing, (long long)greyMarks.extra);
    EXPECT_GT(greyPsnr, 25.0);
    EXPECT_LT(greyMarks.missing, greyMarks.marks / 200);
    EXPECT_LT(greyMarks.extra, greyMarks.marks / 200);
}

}  // namespace
}  // namespace corv::mrc
