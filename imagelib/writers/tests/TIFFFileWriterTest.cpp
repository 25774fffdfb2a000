#include "ImageError.h"
#include "MemoryFile.h"
#include "TIFFFileWriter.h"

#include "../../tests/TiffInspect.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace corv;
using corv::test::Inspect;
using corv::test::TiffFile;

namespace {

struct Page {
    uint32_t width, height;
    int kind;
    int compression = kCompressNone;
    uint32_t rows = 0xFFFFFFFF;  // rows to write; all by default
    uint32_t dpi = 300;
};

std::vector<uint8_t> Write(const std::vector<Page> &pages, bool planar = false) {
    CMemoryFile f;
    f.Open(kOpenReadWrite);
    CTIFFFileWriter w;
    w.Attach(&f);
    for (const Page &p : pages) {
        w.BeginPage(p.width, p.height, p.kind, planar, 8, p.compression, p.dpi, p.dpi, true, 8192);
        uint32_t rows = std::min(p.rows, p.height);
        std::vector<uint8_t> row(w.RowBytes());
        for (int plane = 0;
             plane < (planar && p.kind >= kTiffRgb ? (p.kind == kTiffRgb ? 3 : 4) : 1); ++plane)
            for (uint32_t y = 0; y < rows; ++y) {
                for (size_t i = 0; i < row.size(); ++i)
                    row[i] = static_cast<uint8_t>(y * 3 + i);
                w.WriteRows(row.data(), row.size(), plane);
            }
        w.EndPage();
    }
    w.Detach();
    return {f.Data(), f.Data() + f.Size()};
}

}  // namespace

TEST(TIFFFileWriter, HeaderAndBilevelIfdHas13EntriesInTagOrder) {
    auto bytes = Write({{100, 10, kTiffBilevel}});
    EXPECT_EQ(bytes[0], 'I');
    EXPECT_EQ(bytes[2], 42);
    TiffFile f = Inspect(bytes);
    ASSERT_EQ(f.ifds.size(), 1u);
    EXPECT_EQ(f.firstIfd, 8u);
    const auto &ifd = f.ifds[0];
    EXPECT_EQ(ifd.order, (std::vector<uint16_t>{254, 256, 257, 259, 262, 273, 277, 278, 279, 282,
                                                283, 284, 296}));
    EXPECT_EQ(ifd.Get(254), 0u);
    EXPECT_EQ(ifd.Get(262), 1u);  // BlackIsZero: source 1 bits are white
    EXPECT_EQ(ifd.Get(277), 1u);
    EXPECT_EQ(ifd.Get(284), 1u);
    EXPECT_EQ(ifd.Get(296), 2u);
    EXPECT_EQ(ifd.next, 0u);
}

TEST(TIFFFileWriter, GrayAndRgbHaveBitsPerSample) {
    TiffFile gray = Inspect(Write({{50, 5, kTiffGray}}));
    EXPECT_EQ(gray.ifds[0].order.size(), 14u);
    EXPECT_TRUE(gray.ifds[0].tags.at(258).inlineValue);
    TiffFile rgb = Inspect(Write({{50, 5, kTiffRgb}}));
    const auto &bps = rgb.ifds[0].tags.at(258);
    EXPECT_FALSE(bps.inlineValue);
    EXPECT_EQ(bps.values, (std::vector<uint32_t>{8, 8, 8}));
    EXPECT_EQ(rgb.ifds[0].Get(262), 2u);
    // Out-of-line values follow the IFD directly, in tag order.
    uint32_t ifdEnd = rgb.ifds[0].offset + 2 + 14 * 12 + 4;
    EXPECT_EQ(bps.rawField, ifdEnd);
    EXPECT_EQ(rgb.ifds[0].tags.at(282).rawField, ifdEnd + 6);
    EXPECT_EQ(rgb.ifds[0].tags.at(283).rawField, ifdEnd + 14);
}

TEST(TIFFFileWriter, Width2550BilevelGets25RowsPerStripAnd132Strips) {
    TiffFile f = Inspect(Write({{2550, 3300, kTiffBilevel}}));
    const auto &ifd = f.ifds[0];
    EXPECT_EQ(ifd.Get(278), 25u);
    const auto &offsets = ifd.tags.at(273);
    EXPECT_EQ(offsets.count, 132u);
    EXPECT_FALSE(offsets.inlineValue);
    uint32_t expectOffset = offsets.values[0];
    for (uint32_t i = 0; i < 132; ++i) {
        EXPECT_EQ(offsets.values[i], expectOffset);
        uint32_t rows = i < 131 ? 25 : 3300 - 131 * 25;
        EXPECT_EQ(ifd.Get(279, i), rows * 319);
        expectOffset += ifd.Get(279, i);
    }
}

TEST(TIFFFileWriter, WideRgbGetsOneRowPerStrip) {
    TiffFile f = Inspect(Write({{2731, 3, kTiffRgb}}));
    EXPECT_EQ(f.ifds[0].Get(278), 1u);
    EXPECT_EQ(f.ifds[0].tags.at(273).count, 3u);
}

TEST(TIFFFileWriter, SingleStripTablesAreInline) {
    TiffFile f = Inspect(Write({{64, 16, kTiffGray}}));
    EXPECT_TRUE(f.ifds[0].tags.at(273).inlineValue);
    EXPECT_TRUE(f.ifds[0].tags.at(279).inlineValue);
    EXPECT_EQ(f.ifds[0].Get(279), 64u * 16u);
}

TEST(TIFFFileWriter, ResolutionIsTruncatedPerInch) {
    TiffFile f = Inspect(Write({{8, 1, kTiffGray, kCompressNone, 0xFFFFFFFF, 299}}));
    EXPECT_EQ(f.ifds[0].tags.at(282).values, (std::vector<uint32_t>{299, 1}));
}

TEST(TIFFFileWriter, MultiPageChainsIfdsAndMarksEveryPage) {
    auto bytes = Write({{9, 3, kTiffBilevel}, {10, 1, kTiffGray}, {3, 3, kTiffRgb}});
    TiffFile f = Inspect(bytes);
    ASSERT_EQ(f.ifds.size(), 3u);
    for (const auto &ifd : f.ifds)
        EXPECT_EQ(ifd.Get(254), 2u);
    EXPECT_EQ(f.ifds[2].next, 0u);
    EXPECT_EQ(f.ifds[1].offset % 2, 0u);
    EXPECT_EQ(f.ifds[2].offset % 2, 0u);
}

TEST(TIFFFileWriter, OddEndGetsExactlyOnePadByte) {
    // Header 8, IFD 174, rationals 16, then a 7-byte strip: ends at 205.
    auto bytes = Write({{7, 1, kTiffGray}, {8, 1, kTiffGray}});
    TiffFile f = Inspect(bytes);
    uint32_t firstEnd = f.ifds[0].Get(273) + f.ifds[0].Get(279);
    ASSERT_EQ(firstEnd, 205u);
    EXPECT_EQ(f.ifds[1].offset, 206u);
    EXPECT_EQ(bytes[205], 0);
}

TEST(TIFFFileWriter, SinglePageKeepsSubfileTypeZero) {
    EXPECT_EQ(Inspect(Write({{8, 8, kTiffGray}})).ifds[0].Get(254), 0u);
}

TEST(TIFFFileWriter, MissingRowsLeaveTheirStripEntriesZero) {
    TiffFile f = Inspect(Write({{2550, 100, kTiffBilevel, kCompressNone, 30}}));
    const auto &ifd = f.ifds[0];
    EXPECT_EQ(ifd.Get(257), 100u);
    ASSERT_EQ(ifd.tags.at(273).count, 4u);
    EXPECT_NE(ifd.Get(273, 1), 0u);
    EXPECT_EQ(ifd.Get(279, 1), 5u * 319);
    EXPECT_EQ(ifd.Get(273, 2), 0u);
    EXPECT_EQ(ifd.Get(279, 3), 0u);
}

TEST(TIFFFileWriter, FaxPagesAreWhiteIsZero) {
    for (int c : {kCompressG3, kCompressG4}) {
        TiffFile f = Inspect(Write({{100, 10, kTiffBilevel, c}}));
        EXPECT_EQ(f.ifds[0].Get(262), 0u);
        EXPECT_EQ(f.ifds[0].Get(259), static_cast<uint32_t>(c));
    }
}

TEST(TIFFFileWriter, PlanarRgbKeepsOneStripTablePerPlane) {
    TiffFile f = Inspect(Write({{100, 200, kTiffRgb}}, true));
    const auto &ifd = f.ifds[0];
    EXPECT_EQ(ifd.Get(284), 2u);
    EXPECT_EQ(ifd.Get(278), 81u);
    ASSERT_EQ(ifd.tags.at(273).count, 9u);
    for (uint32_t i = 0; i < 9; ++i)
        EXPECT_NE(ifd.Get(273, i), 0u) << i;
}

TEST(TIFFFileWriter, MoreRowsThanHeightOverflowTheStripTable) {
    CMemoryFile f;
    f.Open(kOpenReadWrite);
    CTIFFFileWriter w;
    w.Attach(&f);
    w.BeginPage(8192, 2, kTiffGray, false, 8, kCompressNone, 300, 300, true, 8192);
    std::vector<uint8_t> row(8192);
    w.WriteRows(row.data(), row.size(), 0);
    w.WriteRows(row.data(), row.size(), 0);
    EXPECT_THROW(w.WriteRows(row.data(), row.size(), 0), std::out_of_range);
}

TEST(TIFFFileWriter, RefusesImpossiblePages) {
    CMemoryFile f;
    f.Open(kOpenReadWrite);
    CTIFFFileWriter w;
    w.Attach(&f);
    auto code = [&](int kind, int compression) -> uint32_t {
        try {
            w.BeginPage(8, 8, kind, false, 8, compression, 300, 300, true, 8192);
        } catch (const CImageError &e) {
            return e.Code();
        }
        return 0;
    };
    EXPECT_EQ(code(kTiffGray, kCompressG4), kErrTiffPixelType);
    EXPECT_EQ(code(5, kCompressNone), kErrTiffPixelType);
    EXPECT_EQ(code(kTiffGray, 2), kErrInvalidArg);
    EXPECT_EQ(code(kTiffGray, kCompressJpeg), kErrNotImplemented);
}
