// `corvimg pdf` as a user runs it: exit statuses, no file after a refused or
// failed run, and files that qpdf accepts and poppler reads back.
#include "CorvimgTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

using namespace corv::test;

namespace {

int CorvimgPdf(const std::string &args, std::string *err = nullptr) {
    return Corvimg("pdf " + args, err);
}

// Three pages of odd sizes: bilevel, gray, colour.
struct Inputs {
    ScopedPath bw{"in.pbm"}, gray{"in.pgm"}, rgb{"in.ppm"};
    std::vector<uint8_t> bwBits = Pattern(13 * 50, 1), grayBytes = Pattern(77 * 41, 2),
                         rgbBytes = Pattern(3 * 55 * 33, 3);
    Inputs() {
        WritePnm(bw.path, "P4", 101, 50, bwBits);
        WritePnm(gray.path, "P5", 77, 41, grayBytes);
        WritePnm(rgb.path, "P6", 55, 33, rgbBytes);
    }
    std::string All() const { return bw.path + " " + gray.path + " " + rgb.path; }
};

}  // namespace

TEST(CorvimgPdf, RefusalsExit2WithoutAFile) {
    Inputs in;
    ScopedPath out("out.pdf"), missing("missing.pgm");
    const char *refused[] = {"--bilevel g5",
                             "--bilevel",
                             "--color png",
                             "--quality 5",
                             "--quality 0",
                             "--quality 2",
                             "--color none --quality 3",
                             "--dpi 0",
                             "--chunk 0",
                             "--lzw"};
    for (const char *options : refused) {
        EXPECT_EQ(CorvimgPdf(std::string(options) + " " + out.path + " " + in.All()), 2) << options;
        EXPECT_FALSE(FileExists(out.path)) << options;
    }
    std::string err;
    EXPECT_EQ(CorvimgPdf(out.path + " " + in.gray.path + " " + missing.path, &err), 2);
    EXPECT_EQ(CorvimgPdf(out.path, &err), 2);
    EXPECT_NE(err.find("usage"), std::string::npos) << err;
    EXPECT_FALSE(FileExists(out.path));
}

TEST(CorvimgPdf, FailedWriteLeavesNoFile) {
    Inputs in;
    ScopedPath shortFile("short.pgm"), out("out.pdf");
    WritePnm(shortFile.path, "P5", 100, 100, Pattern(5000, 4));
    WriteAll(out.path, std::vector<uint8_t>(10, 1));
    std::string err;
    EXPECT_EQ(CorvimgPdf(out.path + " " + in.gray.path + " " + shortFile.path, &err), 1);
    EXPECT_NE(err.find("ends before"), std::string::npos) << err;
    EXPECT_FALSE(FileExists(out.path));
    EXPECT_EQ(CorvimgPdf("/nonexistent-dir/out.pdf " + in.gray.path), 1);
}

// The options reach the writer: each page is coded as asked (the pixels
// themselves are checked on the library's own files).
TEST(CorvimgPdf, EveryOptionSetPassesQpdfWithTheAskedCoding) {
    Inputs in;
    struct Case {
        const char *options;
        const char *bwEnc, *colorEnc;
    } cases[] = {{"", "image", "image"},
                 {"--bilevel g3 --ascii85", "ccitt", "image"},
                 {"--bilevel g4 --color jpeg --quality 4", "ccitt", "jpeg"},
                 {"--color jpeg --ascii85 --chunk 1", "image", "jpeg"},
                 {"--bilevel g4 --chunk 7 --dpi 150", "ccitt", "image"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.options);
        ScopedPath out("out.pdf");
        ASSERT_EQ(CorvimgPdf(std::string(c.options) + " " + out.path + " " + in.All()), 0);
        const ToolRun check = RunTool("qpdf --check " + Quote(out.path));
        EXPECT_EQ(check.status, 0) << check.out << check.err;
        const ToolRun list = RunTool("pdfimages -list " + Quote(out.path));
        std::vector<std::string> encodings;
        for (size_t at = list.out.find("\n", list.out.find("----")); at != std::string::npos;
             at = list.out.find('\n', at + 1)) {
            std::istringstream row(list.out.substr(at + 1, list.out.find('\n', at + 1) - at - 1));
            std::string field, enc;
            for (int i = 0; i < 9 && row >> field; ++i)
                enc = field;
            if (!enc.empty())
                encodings.push_back(enc);
        }
        EXPECT_EQ(encodings, (std::vector<std::string>{c.bwEnc, c.colorEnc, c.colorEnc}));
    }
}

// Inside the PDF each JPEG page is exactly what `corvimg jpeg` writes at the
// same quality and resolution.
TEST(CorvimgPdf, JpegPagesEqualTheJpegSubcommandsFiles) {
    Inputs in;
    for (std::string quality : {"1", "2", "3", "4"}) {
        ScopedPath pdf("q.pdf"), jpeg("q.jpg"), prefix("dct");
        ASSERT_EQ(CorvimgPdf("--color jpeg --quality " + quality + " --dpi 200 " + pdf.path + " " +
                             in.rgb.path),
                  0);
        ASSERT_EQ(RunTool(kTool + " jpeg --quality " + quality + " --dpi 200 " + jpeg.path + " " +
                          in.rgb.path)
                      .status,
                  0);
        RunTool("pdfimages -j " + Quote(pdf.path) + " " + Quote(prefix.path));
        const std::string extracted = prefix.path + "-000.jpg";
        EXPECT_EQ(ReadAll(extracted), ReadAll(jpeg.path)) << quality;
        std::remove(extracted.c_str());
    }
}
