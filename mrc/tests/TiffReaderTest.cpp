// The TIFF reader against files our writer makes and against hand-built
// files broken one field at a time.
#include "ImgOption.h"
#include "ImgParam.h"
#include "ImgToTIFF2.h"
#include "MemoryFile.h"
#include "TiffReader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <optional>

namespace corv::mrc {
namespace {

// A one-page TIFF built field by field, so that each case can break one.
struct TiffShape {
    bool bigEndian = false;
    uint32_t width = 6, height = 4, samples = 1, bits = 8;
    uint32_t compression = 1, photometric = 1, planar = 1, rowsPerStrip = 3;
    std::map<uint16_t, std::vector<uint32_t>> overrides;  // tag -> LONG values
    std::vector<uint16_t> drop;                           // tags left out
    std::optional<uint32_t> nextIfd;                      // default: none
    std::optional<uint16_t> entryCount;
};

class Builder {
public:
    explicit Builder(bool big) : m_big(big) {}
    void U16(uint16_t v) {
        Put(m_big ? uint8_t(v >> 8) : uint8_t(v), m_big ? uint8_t(v) : uint8_t(v >> 8));
    }
    void U32(uint32_t v) {
        if (m_big)
            U16(uint16_t(v >> 16)), U16(uint16_t(v));
        else
            U16(uint16_t(v)), U16(uint16_t(v >> 16));
    }
    void Put(uint8_t a, uint8_t b) {
        bytes.push_back(a);
        bytes.push_back(b);
    }
    void SetU32(size_t at, uint32_t v) {
        Builder b(m_big);
        b.U32(v);
        std::memcpy(&bytes[at], b.bytes.data(), 4);
    }
    std::vector<uint8_t> bytes;

private:
    bool m_big;
};

// Pixel value of sample `s` at (x, y): distinct everywhere.
uint8_t Sample(uint32_t x, uint32_t y, uint32_t s) {
    return uint8_t(x * 31 + y * 7 + s * 101);
}

std::vector<uint8_t> BuildTiff(const TiffShape &t) {
    Builder b(t.bigEndian);
    b.Put(t.bigEndian ? 'M' : 'I', t.bigEndian ? 'M' : 'I');
    b.U16(42);
    b.U32(8);
    // Pixel data first after the header, then the values, then the IFD.
    const uint32_t rowBytes = t.width * t.samples;
    const uint32_t perStrip = std::min(t.rowsPerStrip, t.height);
    const uint32_t strips = (t.height + perStrip - 1) / perStrip;
    std::vector<uint32_t> offsets, counts;
    std::vector<uint8_t> pixels;
    for (uint32_t y = 0; y < t.height; ++y)
        for (uint32_t x = 0; x < t.width; ++x)
            for (uint32_t s = 0; s < t.samples; ++s)
                pixels.push_back(Sample(x, y, s));
    const uint32_t dataAt = 8;
    for (uint32_t s = 0; s < strips; ++s) {
        offsets.push_back(dataAt + s * perStrip * rowBytes);
        counts.push_back(std::min(perStrip, t.height - s * perStrip) * rowBytes);
    }
    std::map<uint16_t, std::vector<uint32_t>> tags = {
        {256, {t.width}},
        {257, {t.height}},
        {258, std::vector<uint32_t>(t.samples, t.bits)},
        {259, {t.compression}},
        {262, {t.photometric}},
        {273, offsets},
        {277, {t.samples}},
        {278, {t.rowsPerStrip}},
        {279, counts},
        {284, {t.planar}},
        {296, {2}},
    };
    for (const auto &[tag, values] : t.overrides)
        tags[tag] = values;
    for (uint16_t tag : t.drop)
        tags.erase(tag);
    b.bytes.insert(b.bytes.end(), pixels.begin(), pixels.end());
    // Arrays longer than one LONG go out of line.
    std::map<uint16_t, uint32_t> outOfLine;
    for (const auto &[tag, values] : tags)
        if (values.size() > 1) {
            outOfLine[tag] = uint32_t(b.bytes.size());
            for (uint32_t v : values)
                b.U32(v);
        }
    const uint32_t rational = uint32_t(b.bytes.size());
    b.U32(300);
    b.U32(1);
    const uint32_t ifd = uint32_t(b.bytes.size());
    b.SetU32(4, ifd);
    const uint16_t entries = uint16_t(tags.size() + 2);
    b.U16(t.entryCount.value_or(entries));
    for (const auto &[tag, values] : tags) {
        b.U16(tag);
        b.U16(4);
        b.U32(uint32_t(values.size()));
        b.U32(values.size() > 1 ? outOfLine[tag] : values[0]);
    }
    for (uint16_t tag : {uint16_t(282), uint16_t(283)}) {
        b.U16(tag);
        b.U16(5);
        b.U32(1);
        b.U32(rational);
    }
    b.U32(t.nextIfd.value_or(0));
    return b.bytes;
}

struct ReadResult {
    int code = kMrcOk;
    std::vector<TiffPage> pages;
    std::vector<std::vector<uint8_t>> pixels;
};

ReadResult ReadAllPages(std::vector<uint8_t> bytes) {
    ReadResult r;
    CMemoryFile file;
    file.Attach(bytes.data(), bytes.size());
    file.Open(kOpenRead);
    try {
        CTiffReader reader(file);
        TiffPage page;
        while (reader.NextPage(page)) {
            std::vector<uint8_t> pixels(page.RowBytes() * page.height);
            reader.ReadRows(pixels.data(), page.height);
            r.pages.push_back(page);
            r.pixels.push_back(pixels);
        }
    } catch (const CMrcError &e) {
        r.code = e.Code();
    }
    return r;
}

struct Case {
    const char *name;
    std::function<std::vector<uint8_t>()> make;
    int code;
};

std::vector<uint8_t> Shape(const std::function<void(TiffShape &)> &edit) {
    TiffShape t;
    edit(t);
    return BuildTiff(t);
}

const Case kCases[] = {
    {"plain grey", [] { return Shape([](TiffShape &) {}); }, kMrcOk},
    {"big-endian RGB",
     [] {
         return Shape([](TiffShape &t) { t.bigEndian = true, t.samples = 3, t.photometric = 2; });
     },
     kMrcOk},
    {"one strip for all rows",
     [] { return Shape([](TiffShape &t) { t.rowsPerStrip = 0xFFFFFFFFu; }); }, kMrcOk},
    {"empty file", [] { return std::vector<uint8_t>{}; }, kMrcBadTiff},
    {"garbage", [] { return std::vector<uint8_t>{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}; },
     kMrcBadTiff},
    {"wrong magic",
     [] {
         auto b = Shape([](TiffShape &) {});
         b[2] = 43;
         return b;
     },
     kMrcBadTiff},
    {"directory past the end",
     [] {
         auto b = Shape([](TiffShape &) {});
         b[4] = 0xF0;
         b[5] = 0xFF;
         return b;
     },
     kMrcBadTiff},
    {"truncated in the directory",
     [] {
         auto b = Shape([](TiffShape &) {});
         b.resize(b.size() - 20);
         return b;
     },
     kMrcBadTiff},
    {"last strip runs past the end",
     [] {
         const uint32_t size = uint32_t(Shape([](TiffShape &) {}).size());
         return Shape([size](TiffShape &t) { t.overrides[273] = {8, size - 5}; });
     },
     kMrcBadTiff},
    {"no entries", [] { return Shape([](TiffShape &t) { t.entryCount = 0; }); }, kMrcBadTiff},
    {"too many entries", [] { return Shape([](TiffShape &t) { t.entryCount = 5000; }); },
     kMrcBadTiff},
    {"zero width", [] { return Shape([](TiffShape &t) { t.overrides[256] = {0}; }); },
     kMrcUnsupportedTiff},
    {"oversized width", [] { return Shape([](TiffShape &t) { t.overrides[256] = {100000}; }); },
     kMrcUnsupportedTiff},
    {"oversized page",
     [] {
         return Shape([](TiffShape &t) {
             t.overrides[256] = {19000}, t.overrides[257] = {19000}, t.overrides[277] = {3};
             t.overrides[258] = {8, 8, 8}, t.overrides[262] = {2};
         });
     },
     kMrcUnsupportedTiff},
    {"LZW compressed", [] { return Shape([](TiffShape &t) { t.compression = 5; }); },
     kMrcUnsupportedTiff},
    {"16 bits a sample", [] { return Shape([](TiffShape &t) { t.bits = 16; }); },
     kMrcUnsupportedTiff},
    {"bilevel", [] { return Shape([](TiffShape &t) { t.bits = 1; }); }, kMrcUnsupportedTiff},
    {"four samples", [] { return Shape([](TiffShape &t) { t.samples = 4, t.photometric = 5; }); },
     kMrcUnsupportedTiff},
    {"planar",
     [] { return Shape([](TiffShape &t) { t.samples = 3, t.photometric = 2, t.planar = 2; }); },
     kMrcUnsupportedTiff},
    {"palette", [] { return Shape([](TiffShape &t) { t.photometric = 3; }); }, kMrcUnsupportedTiff},
    {"missing strip offsets", [] { return Shape([](TiffShape &t) { t.drop = {273}; }); },
     kMrcBadTiff},
    {"missing width", [] { return Shape([](TiffShape &t) { t.drop = {256}; }); }, kMrcBadTiff},
    {"too few strips",
     [] {
         return Shape([](TiffShape &t) {
             t.overrides[273] = {8};
             t.overrides[279] = {18};
         });
     },
     kMrcBadTiff},
    {"strip count too small",
     [] { return Shape([](TiffShape &t) {
              t.overrides[279] = {18, 5};
          }); }, kMrcBadTiff},
    {"strip past the end",
     [] { return Shape([](TiffShape &t) {
              t.overrides[273] = {8, 0x7FFFFFF0};
          }); }, kMrcBadTiff},
    {"huge strip array",
     [] {
         return Shape([](TiffShape &t) {
             t.overrides[273] = {8, 26};
             t.overrides[278] = {0};
         });
     },
     kMrcBadTiff},
    {"strips sharing their bytes",
     [] {
         return Shape([](TiffShape &t) {
             t.overrides[256] = {100};
             t.overrides[257] = {4000};
             t.overrides[278] = {1};
             t.overrides[273] = std::vector<uint32_t>(4000, 8);
             t.overrides[279] = std::vector<uint32_t>(4000, 100);
         });
     },
     kMrcBadTiff},
    {"directory loop",
     [] {
         auto b = Shape([](TiffShape &) {});
         const uint32_t ifd = b[4] | b[5] << 8 | b[6] << 16 | uint32_t(b[7]) << 24;
         Builder w(false);
         w.bytes = b;
         w.SetU32(b.size() - 4, ifd);
         return w.bytes;
     },
     kMrcBadTiff},
};

TEST(TiffReader, RefusesBrokenFilesWithTheirCode) {
    for (const Case &c : kCases) {
        const ReadResult r = ReadAllPages(c.make());
        EXPECT_EQ(r.code, c.code) << c.name;
        if (c.code == kMrcOk) {
            ASSERT_EQ(r.pages.size(), 1u) << c.name;
            const TiffPage &p = r.pages[0];
            EXPECT_EQ(p.width, 6) << c.name;
            EXPECT_EQ(p.height, 4) << c.name;
            EXPECT_DOUBLE_EQ(p.xDpi, 300.0) << c.name;
            for (int y = 0; y < p.height; ++y)
                for (int x = 0; x < p.width; ++x)
                    for (int s = 0; s < p.samples; ++s)
                        ASSERT_EQ(r.pixels[0][(size_t(y) * p.width + x) * p.samples + s],
                                  Sample(x, y, s))
                            << c.name << " at " << x << "," << y;
        }
    }
}

TEST(TiffReader, GreyMarkedWhiteIsZeroComesOutBlackIsZero) {
    const ReadResult r = ReadAllPages(Shape([](TiffShape &t) { t.photometric = 0; }));
    ASSERT_EQ(r.code, kMrcOk);
    EXPECT_EQ(r.pixels[0][0], uint8_t(255 - Sample(0, 0, 0)));
}

TEST(TiffReader, ReadsEveryPageOurWriterWrites) {
    CMemoryFile file;
    file.Open(kOpenReadWrite);
    CTiffOption option(0, 0, 0);
    CImgToTIFF2 writer;
    writer.Open(&option, &file);
    const struct {
        int type, width, height, samples;
        double dpi;
    } pages[] = {
        {kPixelRgb, 33, 21, 3, 300}, {kPixelGray, 17, 40, 1, 150}, {kPixelRgb, 1, 1, 3, 600}};
    for (const auto &p : pages) {
        std::vector<uint8_t> rows;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x)
                for (int s = 0; s < p.samples; ++s)
                    rows.push_back(Sample(x, y, s));
        writer.BeginPage(CImgParam(p.type, p.width, p.height, p.width * p.samples, p.dpi));
        writer.WriteData(rows.size(), rows.data());
        writer.EndPage();
    }
    writer.Close();
    const std::vector<uint8_t> bytes(file.Data(), file.Data() + file.Size());
    const ReadResult r = ReadAllPages(bytes);
    ASSERT_EQ(r.code, kMrcOk);
    ASSERT_EQ(r.pages.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(r.pages[i].width, pages[i].width);
        EXPECT_EQ(r.pages[i].height, pages[i].height);
        EXPECT_EQ(r.pages[i].samples, pages[i].samples);
        EXPECT_DOUBLE_EQ(r.pages[i].xDpi, pages[i].dpi);
        EXPECT_EQ(r.pixels[i].back(),
                  Sample(pages[i].width - 1, pages[i].height - 1, pages[i].samples - 1));
    }
}

}  // namespace
}  // namespace corv::mrc
