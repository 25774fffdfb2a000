// corvimg read and dither end to end: the fields printed and the pixels
// written for a TIFF of its own, every dither method to BMP read back by
// ImageMagick with only the colours its palette allows, and the refusals.
#include "CorvimgTestSupport.h"

#include <gtest/gtest.h>

#include <set>

using namespace corv::test;

namespace {

TEST(CorvimgRead, PrintsTheFieldsAndWritesThePixels) {
    ScopedPath pnm("in.pgm"), tif("page.tif"), back("back.pgm");
    const std::vector<uint8_t> pixels = Pattern(61 * 37, 5);
    WritePnm(pnm.path, "P5", 61, 37, pixels);
    ASSERT_EQ(
        Corvimg("tiff --compression lzw --dpi 400 " + Quote(tif.path) + " " + Quote(pnm.path)), 0);
    ToolRun r = RunTool(kTool + " read " + Quote(tif.path) + " " + Quote(back.path));
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char *line :
         {"format kind: 1\n", "rect: 0 0 61 37\n", "colour kind: 3\n", "bytes per row: 61\n",
          "samples per pixel: 1\n", "resolution: 400.00 400.00\n", "compression: 5\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << r.out;
    const std::vector<uint8_t> written = ReadAll(back.path);
    ASSERT_GE(written.size(), pixels.size());
    EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), written.end() - pixels.size()));

    std::string err;
    EXPECT_EQ(Corvimg("read " + Quote(pnm.path), &err), 1);
    EXPECT_NE(err.find("not a BMP, TIFF or JPEG file"), std::string::npos) << err;
}

TEST(CorvimgDither, EveryMethodGivesOnlyItsColours) {
    ScopedPath pnm("in.ppm"), out("out.bmp"), txt("colours.txt");
    std::vector<uint8_t> rgb(90 * 50 * 3);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<uint8_t>((i % 270) * (i % 3 + 1) / 3 + (i / 270) * 2);
    WritePnm(pnm.path, "P6", 90, 50, rgb);
    struct Row {
        const char *options;
        size_t mostColours;
    };
    const Row rows[] = {
        {"--method 1", 2},
        {"--method 8", 2},
        {"--method 9", 2},
        {"--method 101", 2},
        {"--method 200", 2},
        {"--method 300", 2},
        {"--method 5 --to 16", 16},
        {"--method 102 --to 256 --quantize", 256},
        {"--method 300 --to 16", 16},
        {"--method 200 --to 16 --quantize", 16},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.options);
        ASSERT_EQ(Corvimg(std::string("dither ") + row.options + " " + Quote(pnm.path) + " " +
                          Quote(out.path)),
                  0);
        // ImageMagick lists each distinct colour of the decoded page once.
        ToolRun r = RunTool("convert " + Quote(out.path) + " -format %c histogram:info:-");
        ASSERT_EQ(r.status, 0) << r.err;
        std::set<std::string> colours;
        for (size_t at = r.out.find('#'); at != std::string::npos; at = r.out.find('#', at + 1))
            colours.insert(r.out.substr(at, 7));
        EXPECT_GE(colours.size(), 2u);
        EXPECT_LE(colours.size(), row.mostColours);
    }
    std::string err;
    EXPECT_EQ(Corvimg("dither --method 6 " + Quote(pnm.path) + " " + Quote(out.path), &err), 2);
    EXPECT_EQ(
        Corvimg("dither --method 400 --to 16 " + Quote(pnm.path) + " " + Quote(out.path), &err), 2);
}

}  // namespace
