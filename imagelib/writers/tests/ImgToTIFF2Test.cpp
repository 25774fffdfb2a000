#include "DiskFile.h"
#include "ImageError.h"
#include "ImgToTIFF2.h"
#include "MemoryFile.h"

#include "../../tests/TempPath.h"
#include "../../tests/TestImages.h"
#include "../../tests/TiffInspect.h"

#include "../../tests/RaisedCode.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace corv;
using namespace corv::test;

namespace {

// Writes pages through CImgToTIFF2 into memory, `chunk` bytes per call.
std::vector<uint8_t> WriteTiff(const std::vector<TestPage> &pages, CTiffOption option,
                               size_t chunk = 65535, double dpi = 300, int padding = 0) {
    CMemoryFile f;
    f.Open(kOpenReadWrite);
    CImgToTIFF2 w;
    w.Open(&option, &f);
    for (const TestPage &p : pages) {
        const int rowBytes = p.RowBytes() + padding;
        w.BeginPage(CImgParam(p.pixelType, p.width, p.height, rowBytes, dpi));
        std::vector<uint8_t> src;
        for (int y = 0; y < p.height; ++y) {
            src.insert(src.end(), p.rows.begin() + size_t(y) * p.RowBytes(),
                       p.rows.begin() + size_t(y + 1) * p.RowBytes());
            src.insert(src.end(), static_cast<size_t>(padding), 0xAB);
        }
        for (size_t at = 0; at < src.size(); at += chunk)
            w.WriteData(std::min(chunk, src.size() - at), src.data() + at);
        w.EndPage();
    }
    w.Close();
    return {f.Data(), f.Data() + f.Size()};
}

CTiffOption Plain() {
    return CTiffOption(1, 1, 2);
}

CTiffOption Strip(int compression) {
    CTiffOption o(1, 1, 2);
    o.StripCompression = compression;
    return o;
}

// The uncompressed strips of page `n`, concatenated.
std::vector<uint8_t> StripData(const std::vector<uint8_t> &file, size_t n) {
    return StripBytes(file, Inspect(file).ifds.at(n));
}

}  // namespace

TEST(ImgToTIFF2, UncompressedPagesStoreTheRowsUnchanged) {
    for (int type : {1, 2, 3}) {
        TestPage page = MakePage(type, 37, 29, Pattern::F);
        auto file = WriteTiff({page}, Plain());
        EXPECT_EQ(StripData(file, 0), page.rows) << type;
    }
}

TEST(ImgToTIFF2, PaddedSourceRowsLoseTheirPadding) {
    TestPage page = MakePage(1, 1001, 40, Pattern::Random);
    auto file = WriteTiff({page}, Plain(), 7, 300, 5);
    EXPECT_EQ(StripData(file, 0), page.rows);
    EXPECT_EQ(file, WriteTiff({page}, Plain()));
}

TEST(ImgToTIFF2, ChunkSizeDoesNotChangeTheFile) {
    TestPage page = MakePage(3, 300, 50, Pattern::Random);
    auto whole = WriteTiff({page}, Strip(kCompressLzw));
    for (size_t chunk : {1, 13, 899, 900, 901, 8192})
        EXPECT_EQ(WriteTiff({page}, Strip(kCompressLzw), chunk), whole) << chunk;
}

TEST(ImgToTIFF2, OptionsSelectTheCompression) {
    TestPage bw = MakePage(1, 64, 8, Pattern::F), gray = MakePage(2, 64, 8, Pattern::F);
    auto compressionOf = [](const std::vector<uint8_t> &file) {
        return Inspect(file).ifds[0].Get(259);
    };
    EXPECT_EQ(compressionOf(WriteTiff({bw}, CTiffOption(2, 1, 2))), 3u);
    EXPECT_EQ(compressionOf(WriteTiff({bw}, CTiffOption(3, 1, 2))), 4u);
    EXPECT_EQ(compressionOf(WriteTiff({bw}, CTiffOption(7, 1, 2))), 1u);
    EXPECT_EQ(compressionOf(WriteTiff({gray}, CTiffOption(3, 1, 2))), 1u);
    EXPECT_EQ(compressionOf(WriteTiff({gray}, Strip(kCompressPackBits))), 32773u);
}

TEST(ImgToTIFF2, ResolutionIsTruncated) {
    auto file = WriteTiff({MakePage(2, 8, 8, Pattern::F)}, Plain(), 65535, 299.7);
    EXPECT_EQ(Inspect(file).ifds[0].tags.at(282).values, (std::vector<uint32_t>{299, 1}));
}

TEST(ImgToTIFF2, UnsupportedPixelTypeRaises20000) {
    CMemoryFile f;
    f.Open(kOpenReadWrite);
    CTiffOption o = Plain();
    CImgToTIFF2 w;
    w.Open(&o, &f);
    EXPECT_EQ(CodeOf([&] { w.BeginPage(CImgParam(4, 8, 8, 32, 300)); }), 20000u);
    EXPECT_EQ(w.FormatId(), 1);
}

TEST(ImgToTIFF2, JpegPagesFailClearlyWithoutAJpegWriter) {
    CMemoryFile f;
    f.Open(kOpenReadWrite);
    CTiffOption o(1, 2, 2);
    CImgToTIFF2 w;
    w.Open(&o, &f);
    EXPECT_EQ(CodeOf([&] { w.BeginPage(CImgParam(2, 8, 8, 8, 300)); }), kErrNotImplemented);
}

TEST(ImgToTIFF2, WriterOpenedFileIsDeletedAfterAFailure) {
    ScopedPath p("fail.tif");
    CTiffOption o = Plain();
    CImgToTIFF2 w;
    w.Open(&o, p.path.c_str());
    EXPECT_TRUE(w.OpenedFile());
    w.BeginPage(CImgParam(2, 8192, 1, 8192, 300));
    std::vector<uint8_t> row(8192);
    w.WriteData(row.size(), row.data());
    EXPECT_THROW(w.WriteData(row.size(), row.data()), std::out_of_range);
    EXPECT_TRUE(FileExists(p.path));
    w.Abandon();
    EXPECT_FALSE(FileExists(p.path));
}

TEST(ImgToTIFF2, CallersStreamIsLeftAloneAfterAFailure) {
    ScopedPath p("keep.tif");
    auto f = NewDiskFile(p.path.c_str());
    f->Open(kOpenReadWrite);
    CTiffOption o = Plain();
    {
        CImgToTIFF2 w;
        w.Open(&o, f.get());
        EXPECT_FALSE(w.OpenedFile());
        EXPECT_EQ(CodeOf([&] { w.BeginPage(CImgParam(9, 8, 8, 8, 300)); }), 20000u);
        w.Abandon();
    }
    EXPECT_TRUE(f->IsOpen());
    f->CloseFile();
    EXPECT_TRUE(FileExists(p.path));
}

TEST(ImgToTIFF2, FileWrittenByNameMatchesTheMemoryStream) {
    ScopedPath p("byname.tif");
    TestPage a = MakePage(1, 2550, 120, Pattern::Random), b = MakePage(3, 100, 90, Pattern::F);
    CTiffOption o = Plain();
    {
        CImgToTIFF2 w;
        w.Open(&o, p.path.c_str());
        for (const TestPage *page : {&a, &b}) {
            w.BeginPage(
                CImgParam(page->pixelType, page->width, page->height, page->RowBytes(), 300));
            w.WriteData(page->rows.size(), page->rows.data());
            w.EndPage();
        }
        w.Close();
    }
    EXPECT_EQ(ReadAll(p.path), WriteTiff({a, b}, Plain()));
}

TEST(ImgToTIFF2, OpenByNameDoesNotTruncate) {
    ScopedPath p("existing.tif");
    WriteAll(p.path, std::vector<uint8_t>(100000, 0x55));
    CTiffOption o = Plain();
    CImgToTIFF2 w;
    w.Open(&o, p.path.c_str());
    w.Close();
    EXPECT_EQ(ReadAll(p.path).size(), 100000u);
}

// Pinned output bytes: any change to what the writer emits shows up here.
TEST(ImgToTIFF2, GoldenHashes) {
    struct Golden {
        const char *name;
        std::vector<TestPage> pages;
        CTiffOption option;
        uint64_t hash;
    } goldens[] = {
        {"tiff-none-bilevel-F", {MakePage(1, 101, 77, Pattern::F)}, Plain(), 0x4d8796b563a29263ull},
        {"tiff-none-gray-F", {MakePage(2, 101, 77, Pattern::F)}, Plain(), 0x9aace8e2720b1947ull},
        {"tiff-none-rgb-F", {MakePage(3, 101, 77, Pattern::F)}, Plain(), 0xb09fde77e1760ea7ull},
        {"g3-F", {MakePage(1, 1728, 300, Pattern::F)}, CTiffOption(2, 1, 2), 0x2ed0985f9365433cull},
        {"g4-a4-600dpi",
         {MakePage(1, 4960, 7016, Pattern::F)},
         CTiffOption(3, 1, 2),
         0xbdccd3a816c5af8aull},
        {"tiff-lzw-rgb",
         {MakePage(3, 640, 480, Pattern::Random)},
         Strip(kCompressLzw),
         0xc0758b11b3683d59ull},
        {"tiff-packbits-gray",
         {MakePage(2, 640, 480, Pattern::F)},
         Strip(kCompressPackBits),
         0x8fb7d810646921abull},
        {"tiff-multipage-g4",
         {MakePage(1, 1000, 100, Pattern::LongRuns), MakePage(1, 999, 50, Pattern::Checker)},
         CTiffOption(3, 1, 2),
         0xfc134b9a19b0a307ull},
    };
    for (const Golden &g : goldens) {
        uint64_t h = Fnv1a(WriteTiff(g.pages, g.option));
        EXPECT_EQ(h, g.hash) << g.name << " now hashes to 0x" << std::hex << h;
    }
}
