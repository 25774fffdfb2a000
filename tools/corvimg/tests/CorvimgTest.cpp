// The corvimg command as a user runs it: exit statuses, no output file after
// a refused or failed run, and pages that libtiff and djpeg read back.
#include "../../../imagelib/tests/TiffInspect.h"
#include "CorvimgTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>

using namespace corv::test;

TEST(Corvimg, ImpossibleCombinationsExit2WithoutAFile) {
    ScopedPath gray("in.pgm"), bw("in.pbm"), out("out.tif");
    WritePnm(gray.path, "P5", 10, 10, Pattern(100, 1));
    WritePnm(bw.path, "P4", 10, 10, Pattern(20, 2));
    std::string err;
    EXPECT_EQ(Corvimg("tiff --compression g4 " + out.path + " " + bw.path + " " + gray.path, &err),
              2);
    EXPECT_NE(err.find("bilevel"), std::string::npos) << err;
    EXPECT_EQ(Corvimg("tiff --compression g3 " + out.path + " " + gray.path), 2);
    EXPECT_EQ(Corvimg("tiff --compression jpeg " + out.path + " " + bw.path, &err), 2);
    EXPECT_NE(err.find("JPEG"), std::string::npos) << err;
    EXPECT_FALSE(FileExists(out.path));
}

TEST(Corvimg, BadArgumentsExit2) {
    ScopedPath out("out.tif"), missing("missing.pgm");
    EXPECT_EQ(Corvimg(""), 2);
    EXPECT_EQ(Corvimg("tiff " + out.path), 2);
    EXPECT_EQ(Corvimg("tiff --compression zip " + out.path + " x.pgm"), 2);
    EXPECT_EQ(Corvimg("tiff --chunk 0 " + out.path + " x.pgm"), 2);
    EXPECT_EQ(Corvimg("tiff --dpi -3 " + out.path + " x.pgm"), 2);
    EXPECT_EQ(Corvimg("tiff " + out.path + " " + missing.path), 2);
    EXPECT_FALSE(FileExists(out.path));
}

TEST(Corvimg, FailedWriteLeavesNoFile) {
    ScopedPath good("good.pgm"), shortFile("short.pgm"), out("out.tif");
    WritePnm(good.path, "P5", 100, 100, Pattern(10000, 3));
    WritePnm(shortFile.path, "P5", 100, 100, Pattern(5000, 3));
    WriteAll(out.path, std::vector<uint8_t>(10, 1));
    std::string err;
    EXPECT_EQ(Corvimg("tiff " + out.path + " " + good.path + " " + shortFile.path, &err), 1);
    EXPECT_NE(err.find("ends before"), std::string::npos) << err;
    EXPECT_FALSE(FileExists(out.path));
    EXPECT_EQ(Corvimg("tiff /nonexistent-dir/out.tif " + good.path, &err), 1);
}

TEST(Corvimg, PagesRoundTripThroughLibtiffInEveryChunking) {
    ScopedPath bw("bw.pbm"), gray("g.pgm"), rgb("c.ppm"), out("out.tif"), plain("plain.tif");
    auto bwBits = Pattern(13 * 50, 4);
    WritePnm(bw.path, "P4", 101, 50, bwBits);
    auto grayBytes = Pattern(77 * 40, 5), rgbBytes = Pattern(3 * 55 * 33, 6);
    WritePnm(gray.path, "P5", 77, 40, grayBytes);
    WritePnm(rgb.path, "P6", 55, 33, rgbBytes);
    for (std::string c : {"none", "lzw", "packbits"})
        for (std::string chunk : {"1", "100", "65535"}) {
            SCOPED_TRACE(c + " " + chunk);
            ASSERT_EQ(Corvimg("tiff --compression " + c + " --dpi 600 --chunk " + chunk + " " +
                              out.path + " " + bw.path + " " + gray.path + " " + rgb.path),
                      0);
            ASSERT_EQ(RunTool("tiffcp -c none " + out.path + " " + plain.path).status, 0);
            auto bytes = ReadAll(plain.path);
            TiffFile f = Inspect(bytes);
            ASSERT_EQ(f.ifds.size(), 3u);
            EXPECT_EQ(f.ifds[0].tags.at(282).values[0], 600u);
            auto strip = [&](int page) { return StripBytes(bytes, f.ifds[page]); };
            // PBM marks black with 1; the TIFF holds 1 = white (BlackIsZero).
            auto bwBack = strip(0);
            ASSERT_EQ(bwBack.size(), bwBits.size());
            for (size_t i = 0; i < bwBits.size(); ++i) {
                uint8_t mask = (i % 13 == 12) ? 0xF8 : 0xFF;  // 101 = 12 * 8 + 5
                EXPECT_EQ(bwBack[i] & mask, static_cast<uint8_t>(~bwBits[i]) & mask) << i;
            }
            EXPECT_EQ(strip(1), grayBytes);
            EXPECT_EQ(strip(2), rgbBytes);
        }
}

TEST(Corvimg, FaxPagesMatchImageMagicksReading) {
    ScopedPath bw("bw.pbm"), out("out.tif"), back("back.pbm");
    std::vector<uint8_t> bits(3 * 40);
    for (size_t i = 0; i < bits.size(); ++i)
        bits[i] = static_cast<uint8_t>(i % 7 == 0 ? 0xFF : i * 37);
    WritePnm(bw.path, "P4", 24, 40, bits);
    for (std::string c : {"g3", "g4"}) {
        ASSERT_EQ(Corvimg("tiff --compression " + c + " " + out.path + " " + bw.path), 0);
        ASSERT_EQ(RunTool("convert " + out.path + " pbm:" + back.path).status, 0);
        auto got = ReadAll(back.path);
        ASSERT_GE(got.size(), bits.size());
        EXPECT_TRUE(std::equal(bits.begin(), bits.end(), got.end() - bits.size())) << c;
    }
}

// djpeg's reading of a JPEG file: width, height, samples per pixel, pixels.
struct DjpegPage {
    int width = 0, height = 0, samples = 0;
    std::vector<uint8_t> pixels;
};

DjpegPage Djpeg(const std::string &jpeg) {
    ScopedPath pnm("back.pnm");
    DjpegPage p;
    ToolRun r = RunTool("djpeg -pnm -outfile " + pnm.path + " " + jpeg);
    EXPECT_EQ(r.status, 0) << r.err;
    auto bytes = ReadAll(pnm.path);
    char kind = 0;
    int maxval = 0, used = 0;
    if (bytes.size() < 2 ||
        std::sscanf(reinterpret_cast<const char *>(bytes.data()), "P%c %d %d %d%n", &kind, &p.width,
                    &p.height, &maxval, &used) != 4)
        return p;
    p.samples = kind == '6' ? 3 : 1;
    p.pixels.assign(bytes.begin() + used + 1, bytes.end());
    return p;
}

TEST(Corvimg, JpegPagesDecodeWithDjpegAtEveryQualityAndChunking) {
    ScopedPath gray("g.pgm"), rgb("c.ppm"), out("out.jpg");
    // Smooth pages: the coarsest quality must still come close.
    std::vector<uint8_t> grayBytes(77 * 40), rgbBytes(3 * 55 * 33);
    for (size_t i = 0; i < grayBytes.size(); ++i)
        grayBytes[i] = static_cast<uint8_t>(i % 77 * 3 + i / 77);
    for (size_t i = 0; i < rgbBytes.size(); ++i)
        rgbBytes[i] = static_cast<uint8_t>((i / 3 % 55) * (i % 3 + 1) + i / 165);
    WritePnm(gray.path, "P5", 77, 40, grayBytes);
    WritePnm(rgb.path, "P6", 55, 33, rgbBytes);
    for (const auto &[in, pixels, samples] :
         {std::tuple{gray.path, grayBytes, 1}, std::tuple{rgb.path, rgbBytes, 3}})
        for (std::string quality : {"1", "2", "3", "4"})
            for (std::string chunk : {"1", "100", "65535"}) {
                SCOPED_TRACE(in + " " + quality + " " + chunk);
                ASSERT_EQ(Corvimg("jpeg --quality " + quality + " --dpi 600 --chunk " + chunk +
                                  " " + out.path + " " + in),
                          0);
                auto bytes = ReadAll(out.path);
                ASSERT_GT(bytes.size(), 20u);
                EXPECT_EQ(bytes[14] << 8 | bytes[15], 600);  // JFIF X density
                DjpegPage p = Djpeg(out.path);
                EXPECT_EQ(p.samples, samples);
                ASSERT_EQ(p.pixels.size(), pixels.size());
                int worst = 0;
                for (size_t i = 0; i < pixels.size(); ++i)
                    worst = std::max(worst, std::abs(p.pixels[i] - pixels[i]));
                EXPECT_LE(worst, quality == "4" ? 3 : 12);
            }
}

TEST(Corvimg, JpegRefusalsExit2AndFailuresLeaveNoFile) {
    ScopedPath bw("in.pbm"), gray("in.pgm"), shortFile("short.pgm"), out("out.jpg");
    WritePnm(bw.path, "P4", 10, 10, Pattern(20, 2));
    WritePnm(gray.path, "P5", 10, 10, Pattern(100, 1));
    WritePnm(shortFile.path, "P5", 100, 100, Pattern(5000, 3));
    std::string err;
    EXPECT_EQ(Corvimg("jpeg " + out.path + " " + bw.path, &err), 2);
    EXPECT_NE(err.find("JPEG"), std::string::npos) << err;
    EXPECT_EQ(Corvimg("jpeg --quality 5 " + out.path + " " + gray.path), 2);
    EXPECT_EQ(Corvimg("jpeg --quality 0 " + out.path + " " + gray.path), 2);
    EXPECT_EQ(Corvimg("jpeg --dpi 70000 " + out.path + " " + gray.path), 2);
    EXPECT_EQ(Corvimg("jpeg " + out.path + " " + gray.path + " " + gray.path), 2);
    EXPECT_FALSE(FileExists(out.path));
    WriteAll(out.path, std::vector<uint8_t>(10, 1));
    EXPECT_EQ(Corvimg("jpeg " + out.path + " " + shortFile.path, &err), 1);
    EXPECT_NE(err.find("ends before"), std::string::npos) << err;
    EXPECT_FALSE(FileExists(out.path));
}

TEST(Corvimg, TiffJpegStripsReadBackThroughLibtiff) {
    ScopedPath gray("g.pgm"), rgb("c.ppm"), out("out.tif"), plain("plain.tif");
    std::vector<uint8_t> grayBytes(300 * 20, 128), rgbBytes(3 * 30 * 17, 200);
    WritePnm(gray.path, "P5", 300, 20, grayBytes);
    WritePnm(rgb.path, "P6", 30, 17, rgbBytes);
    ASSERT_EQ(Corvimg("tiff --compression jpeg " + out.path + " " + gray.path + " " + rgb.path), 0);
    ToolRun info = RunTool("tiffinfo -D " + out.path);
    EXPECT_EQ(info.status, 0) << info.err;
    ASSERT_EQ(RunTool("tiffcp -c none " + out.path + " " + plain.path).status, 0);
    auto bytes = ReadAll(plain.path);
    TiffFile f = Inspect(bytes);
    ASSERT_EQ(f.ifds.size(), 2u);
    // Flat pages come back flat (to within the colour round trip).
    for (auto [page, expected] : {std::pair{0, &grayBytes}, std::pair{1, &rgbBytes}}) {
        auto back = StripBytes(bytes, f.ifds[page]);
        ASSERT_EQ(back.size(), expected->size());
        for (size_t i = 0; i < back.size(); ++i)
            ASSERT_NEAR(back[i], (*expected)[i], 1) << page << " " << i;
    }
}
