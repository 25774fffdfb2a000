#include "ImageError.h"
#include "ImgToJPEG.h"
#include "JPEGImage.h"
#include "JpegColorConverter.h"
#include "JpegEncoder.h"
#include "JpegForwardDct.h"
#include "JpegKernels.h"
#include "JpegLibrary.h"
#include "JpegQuantizer.h"
#include "JpegTables.h"
#include "MemoryFile.h"

#include "../../tests/RaisedCode.h"
#include "../../tests/TempPath.h"
#include "../../tests/TestImages.h"
#include "JpegTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <numbers>
#include <set>

using namespace corv;
using namespace corv::test;

namespace {

const JpegSegment *Find(const JpegLayout &l, uint8_t marker, int nth = 0) {
    for (const JpegSegment &s : l.segments)
        if (s.marker == marker && nth-- == 0)
            return &s;
    return nullptr;
}

TEST(JpegHeader, GrayAndColourPagesHoldTheirSegmentsInOrder) {
    struct Case {
        int pixelType;
        std::vector<uint8_t> markers;
        std::vector<uint8_t> frame;  // per component: id, H*16+V, table
        std::vector<uint8_t> scan;   // per component: id, selectors
    };
    const Case cases[] = {
        {kPixelGray,
         {0xD8, 0xE0, 0xDB, 0xDD, 0xC0, 0xC4, 0xC4, 0xDA, 0xD9},
         {1, 0x11, 0},
         {1, 0x00}},
        {kPixelRgb,
         {0xD8, 0xE0, 0xDB, 0xDB, 0xDD, 0xC0, 0xC4, 0xC4, 0xC4, 0xC4, 0xDA, 0xD9},
         {1, 0x11, 0, 2, 0x11, 1, 3, 0x11, 1},
         {1, 0x00, 2, 0x11, 3, 0x11}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pixelType);
        const TestPage page = MakePage(c.pixelType, 21, 19, Pattern::F);
        const JpegLayout l = ParseJpeg(EncodeJpeg(page, 4, 65535, 0, 299.9));
        EXPECT_EQ(Markers(l), c.markers);

        const std::vector<uint8_t> jfif = {'J', 'F',  'I',  'F',  0,    1, 2,
                                           1,   0x01, 0x2B, 0x01, 0x2B, 0, 0};
        EXPECT_EQ(Find(l, 0xE0)->payload, jfif);  // 299.9 dpi -> 299

        const std::vector<uint8_t> &sof = Find(l, 0xC0)->payload;
        ASSERT_GE(sof.size(), 6u);
        EXPECT_EQ(sof[0], 8);
        EXPECT_EQ(Be16(&sof[1]), 19);
        EXPECT_EQ(Be16(&sof[3]), 21);
        EXPECT_EQ(std::vector<uint8_t>(sof.begin() + 6, sof.end()), c.frame);

        const std::vector<uint8_t> &sos = Find(l, 0xDA)->payload;
        std::vector<uint8_t> scan(sos.begin() + 1, sos.end() - 3);
        EXPECT_EQ(scan, c.scan);
        EXPECT_EQ(std::vector<uint8_t>(sos.end() - 3, sos.end()), (std::vector<uint8_t>{0, 63, 0}));

        // DHT classes and ids in slot order DC 0, DC 1, AC 0, AC 1.
        std::vector<uint8_t> dht;
        for (int n = 0; const JpegSegment *s = Find(l, 0xC4, n); ++n)
            dht.push_back(s->payload[0]);
        const std::vector<uint8_t> grayDht = {0x00, 0x10}, colourDht = {0x00, 0x01, 0x10, 0x11};
        EXPECT_EQ(dht, c.pixelType == kPixelGray ? grayDht : colourDht);
        EXPECT_TRUE(l.stuffedCorrectly);
    }
}

TEST(JpegHeader, QualityOptionSelectsThePresetTablesInZigzagOrder) {
    const struct {
        int quality;
        int preset;
    } cases[] = {{4, 0}, {3, 1}, {2, 2}, {1, 3}, {0, 3}, {7, 3}, {-1, 3}};
    const TestPage page = MakePage(kPixelRgb, 16, 8, Pattern::Random);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.quality);
        EXPECT_EQ(JpegPresetForQuality(c.quality), c.preset);
        const JpegLayout l = ParseJpeg(EncodeJpeg(page, c.quality));
        const JpegPreset &p = kJpegPresets[c.preset];
        for (int t = 0; t < 2; ++t) {
            const std::vector<uint8_t> &dqt = Find(l, 0xDB, t)->payload;
            ASSERT_EQ(dqt.size(), 65u);
            EXPECT_EQ(dqt[0], t);
            const uint16_t *table = t == 0 ? p.luma : p.chroma;
            for (int k = 0; k < 64; ++k)
                ASSERT_EQ(dqt[1 + k], table[kJpegNaturalOrder[k]]) << "entry " << k;
        }
    }
}

TEST(JpegHeader, PresetTableMatchesTheLibrarysSteps) {
    // Rows 0 of presets 0..3 and the last rows, as the library carries them.
    EXPECT_EQ(std::vector<uint16_t>(kJpegPresets[3].luma, kJpegPresets[3].luma + 8),
              (std::vector<uint16_t>{4, 3, 3, 4, 6, 7, 8, 10}));
    EXPECT_EQ(std::vector<uint16_t>(kJpegPresets[2].chroma + 8, kJpegPresets[2].chroma + 16),
              (std::vector<uint16_t>{3, 4, 6, 10, 14, 12, 12, 12}));
    EXPECT_EQ(std::vector<uint16_t>(kJpegPresets[1].luma + 56, kJpegPresets[1].luma + 64),
              (std::vector<uint16_t>{3, 3, 5, 7, 8, 8, 8, 8}));
    EXPECT_EQ(std::vector<uint16_t>(kJpegPresets[10].luma, kJpegPresets[10].luma + 8),
              (std::vector<uint16_t>{20, 17, 26, 41, 51, 39, 34, 17}));
    double previous = 0;
    for (int i = 0; i < kJpegPresetCount; ++i) {
        const JpegPreset &p = kJpegPresets[i];
        const bool subsampled = i >= 6;
        EXPECT_EQ(p.lumaH, subsampled ? 2 : 1) << i;
        EXPECT_EQ(p.lumaV, subsampled ? 2 : 1) << i;
        EXPECT_EQ(p.chromaH + p.chromaV, 2) << i;
        double sum = 0;
        for (int k = 0; k < 64; ++k) {
            ASSERT_GE(p.luma[k], 1);
            ASSERT_LE(p.chroma[k], 255);
            sum += p.luma[k] + p.chroma[k];
        }
        EXPECT_GT(sum, previous) << "preset " << i << " should step coarser";
        previous = sum;
    }
}

TEST(JpegHeader, MarkerOrderCommentAndNoRestartSettingsShapeTheHeader) {
    CMemoryFile f;
    f.Open(kOpenReadWrite);
    CJPEGImage image;
    image.SetStreamBorrowed(true);
    image.ApplyPreset(2);
    const uint8_t order[] = {0xC4, 0xC0, 0xDB, 0xDD};
    image.SetMarkerOrder(order, sizeof order);
    const uint8_t comment[] = {'s', 'c', 'a', 'n'};
    image.SetComment(comment, sizeof comment);
    image.SetNoRestart(true);
    image.OpenWrite(&f, 9, 9, kKindGray8, 150 << 16);
    ImageBand band;
    band.Shape(kKindGray8, 9, 9, 9);
    std::fill(band.Data(), band.Data() + 81, uint8_t(200));
    band.bottom = 9;
    image.WriteBand(band);
    image.Finish();
    const JpegLayout l = ParseJpeg({f.Data(), f.Data() + f.Size()});
    EXPECT_EQ(Markers(l),
              (std::vector<uint8_t>{0xD8, 0xE0, 0xFE, 0xC4, 0xC4, 0xC0, 0xDB, 0xDA, 0xD9}));
    EXPECT_EQ(Find(l, 0xFE)->payload, std::vector<uint8_t>(comment, comment + 4));
    EXPECT_TRUE(l.restarts.empty());
}

TEST(JpegRestart, MarkersFollowEveryEightMcuRowsAndCountModuloEight) {
    const struct {
        int width, height;
        int interval;
        size_t markers;
    } cases[] = {
        {40, 160, 40, 2},    // 20 MCU rows: after rows 8 and 16
        {8, 8 * 72, 8, 8},   // 72 rows: 8 markers, numbers wrap 0..7
        {8, 8 * 80, 8, 9},   // 9 markers: the ninth wraps to RST0
        {13, 7, 16, 0},      // one MCU row: no marker at all
        {2480, 9, 2480, 0},  // 310 MCUs per row x 8 rows
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.width * 100000 + c.height);
        const JpegLayout l =
            ParseJpeg(EncodeJpeg(MakePage(kPixelGray, c.width, c.height, Pattern::Random), 2));
        const JpegSegment *dri = Find(l, 0xDD);
        ASSERT_NE(dri, nullptr);
        EXPECT_EQ(Be16(dri->payload.data()), c.interval);
        ASSERT_EQ(l.restarts.size(), c.markers);
        for (size_t i = 0; i < l.restarts.size(); ++i)
            EXPECT_EQ(l.restarts[i], i % 8);
        EXPECT_TRUE(l.stuffedCorrectly);
    }
}

TEST(JpegEncoder, ChunkingAndRowPaddingDoNotChangeTheStream) {
    for (int type : {kPixelGray, kPixelRgb}) {
        const TestPage page = MakePage(type, 37, 29, Pattern::Random);
        const std::vector<uint8_t> whole = EncodeJpeg(page, 3);
        EXPECT_EQ(EncodeJpeg(page, 3, 1), whole);
        EXPECT_EQ(EncodeJpeg(page, 3, 7, 5), whole);
        EXPECT_EQ(EncodeJpeg(page, 3, 1000, 3), whole);
    }
}

// A scan-like page: ramps the quantiser keeps, with a left third of full-range
// noise whose coefficients reach every magnitude category and whose coded
// bytes hit 0xFF often.
TestPage RampPage(int pixelType, int width, int height) {
    TestPage page = MakePage(pixelType, width, height, Pattern::White);
    const int samples = pixelType == kPixelRgb ? 3 : 1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < samples; ++c) {
                const int ramp = (x * 255 / width + y * 2 + c * 60) % 256;
                page.rows[size_t(y) * page.RowBytes() + size_t(x * samples + c)] =
                    x < width / 3 ? FNoise(x, y, c) : static_cast<uint8_t>(ramp);
            }
    return page;
}

// The page as one band through CJPEGImage, after `setup` chose its settings.
std::vector<uint8_t> EncodeImage(const TestPage &p,
                                 const std::function<void(CJPEGImage &)> &setup) {
    CMemoryFile f;
    f.Open(kOpenReadWrite);
    CJPEGImage image;
    image.SetStreamBorrowed(true);
    setup(image);
    const int kind = p.pixelType == kPixelRgb ? kKindRgb24 : kKindGray8;
    image.OpenWrite(&f, p.width, p.height, kind, 300 << 16);
    ImageBand band;
    band.Shape(kind, p.width, p.height, p.height);
    std::copy(p.rows.begin(), p.rows.end(), band.Data());
    band.bottom = p.height;
    image.WriteBand(band);
    image.Finish();
    return {f.Data(), f.Data() + f.Size()};
}

// A restart interval that cuts MCU rows, set on the encoder itself.
std::vector<uint8_t> EncodeWithInterval(const TestPage &p, int interval) {
    CJpegLibrary::Acquire();
    std::vector<uint8_t> bytes;
    {
        CMemoryFile f;
        f.Open(kOpenReadWrite);
        auto e = CJpegEncoder::Create(kJpegProcessJfif);
        const int components = p.pixelType == kPixelRgb ? 3 : 1;
        e->SetComponentCount(components);
        e->SetInterleaved(components > 1);
        e->SetQuantTable(0, kJpegStdLumaQuant);
        e->SetQuantTable(1, kJpegStdChromaQuant);
        for (int slot = 0; slot < kHuffSlots; ++slot)
            e->SetHuffmanTable(slot, kJpegStdHuffman[slot]);
        e->SetRestartInterval(interval);
        e->SetImageSize(p.width, p.height);
        e->Start(&f);
        e->WriteRows(p.rows.data(), p.height, size_t(p.RowBytes()));
        e->Finish();
        bytes.assign(f.Data(), f.Data() + f.Size());
    }
    CJpegLibrary::Release();
    return bytes;
}

// Pinned streams: any change of the bytes written shows here.
TEST(JpegGolden, FixedPagesGiveTheirPinnedStreams) {
    const auto preset = [](int index) {
        return [index](CJPEGImage &image) { image.ApplyPreset(index); };
    };
    const TestPage rgbOdd = RampPage(kPixelRgb, 67, 45), grayOdd = RampPage(kPixelGray, 131, 77);
    const TestPage rgbTall = RampPage(kPixelRgb, 45, 150);
    const struct {
        const char *name;
        std::function<std::vector<uint8_t>()> encode;
        uint64_t hash;
    } cases[] = {
        {"jpeg-preset2-444", [] { return EncodeJpeg(MakePage(kPixelRgb, 64, 48, Pattern::F), 2); },
         0x90ec9d03be1d09caull},
        {"jpeg-preset0-rgb-odd",
         [] { return EncodeJpeg(MakePage(kPixelRgb, 61, 37, Pattern::Random), 4); },
         0x181c44296343f181ull},
        {"jpeg-preset3-gray",
         [] { return EncodeJpeg(MakePage(kPixelGray, 100, 80, Pattern::F), 1); },
         0x153fc83122805510ull},
        {"jpeg-preset1-gray-1x1",
         [] { return EncodeJpeg(MakePage(kPixelGray, 1, 1, Pattern::Black), 3); },
         0x57002af1e8a433baull},
        {"jpeg-ramp-rgb-q1", [&] { return EncodeJpeg(rgbOdd, 1); }, 0x2b1ac924a9064b0full},
        {"jpeg-ramp-rgb-q2", [&] { return EncodeJpeg(rgbOdd, 2); }, 0x3e441293134210fcull},
        {"jpeg-ramp-rgb-q3", [&] { return EncodeJpeg(rgbOdd, 3); }, 0x8254fa77d02f14a2ull},
        {"jpeg-ramp-rgb-q4", [&] { return EncodeJpeg(rgbOdd, 4); }, 0x6f0c8d5da5922f55ull},
        {"jpeg-ramp-gray-q1", [&] { return EncodeJpeg(grayOdd, 1); }, 0x087e4766db379cd3ull},
        {"jpeg-ramp-gray-q2", [&] { return EncodeJpeg(grayOdd, 2); }, 0x144a5ea7fa341f45ull},
        {"jpeg-ramp-gray-q3", [&] { return EncodeJpeg(grayOdd, 3); }, 0x0e9719d6ac2abdf5ull},
        {"jpeg-ramp-gray-q4", [&] { return EncodeJpeg(grayOdd, 4); }, 0xf9042ae6aa27139bull},
        {"jpeg-ramp-rgb-restarts", [&] { return EncodeJpeg(rgbTall, 4); }, 0xa4e6eec851952f96ull},
        {"jpeg-preset6-420", [&] { return EncodeImage(rgbOdd, preset(6)); }, 0x41304f697fce4cdfull},
        {"jpeg-preset10-420-tall", [&] { return EncodeImage(rgbTall, preset(10)); },
         0x46d36b9ce1daf44bull},
        {"jpeg-preset8-gray", [&] { return EncodeImage(grayOdd, preset(8)); },
         0x3e70ea50536ab4ecull},
        {"jpeg-default-422-q90",
         [&] { return EncodeImage(rgbOdd, [](CJPEGImage &i) { i.SetQuality(90); }); },
         0x4c0086e0b86b2551ull},
        {"jpeg-444-no-restart",
         [&] {
             return EncodeImage(rgbTall, [](CJPEGImage &i) {
                 i.ApplyPreset(1);
                 i.SetNoRestart(true);
             });
         },
         0x5b5e92f45520dcafull},
        {"jpeg-rgb-components",
         [&] {
             return EncodeImage(rgbOdd, [](CJPEGImage &i) {
                 i.ApplyPreset(2);
                 i.SetRgbComponents(true);
             });
         },
         0xce8d8ed9fe9e5e21ull},
        {"jpeg-interval-5-rgb", [&] { return EncodeWithInterval(rgbOdd, 5); },
         0x47ccae8cb69d0d5cull},
        {"jpeg-interval-3-gray", [&] { return EncodeWithInterval(grayOdd, 3); },
         0x7a92a199af9669a2ull},
    };
    for (const auto &c : cases) {
        const std::vector<uint8_t> bytes = c.encode();
        EXPECT_EQ(Fnv1a(bytes), c.hash) << c.name << " 0x" << std::hex << Fnv1a(bytes);
    }
}

TEST(JpegEncoder, StreamOffsetWritesBehindExistingBytesAndReturnsThere) {
    CMemoryFile f;
    f.Open(kOpenReadWrite);
    const std::vector<uint8_t> prefix(100, 0x5A);
    f.Write(prefix.data(), prefix.size());
    CJpegOption option;
    option.StreamOffset = 100;
    const TestPage page = MakePage(kPixelGray, 16, 16, Pattern::F);
    CImgToJPEG w;
    w.Open(&option, &f);
    w.BeginPage(CImgParam(kPixelGray, 16, 16, 16, 200));
    w.WriteData(page.rows.size(), page.rows.data());
    w.EndPage();
    EXPECT_EQ(f.Tell(), 100);
    w.Close();
    std::vector<uint8_t> all(f.Data(), f.Data() + f.Size());
    EXPECT_TRUE(std::equal(prefix.begin(), prefix.end(), all.begin()));
    std::vector<uint8_t> stream(all.begin() + 100, all.end());
    option.StreamOffset = 0;
    EXPECT_EQ(stream, EncodeJpeg(page, 2, 65535, 0, 200));
}

TEST(JpegErrors, FailuresRaiseTheLibraryCodes) {
    uint16_t zero[64], big[64];
    std::fill(std::begin(zero), std::end(zero), uint16_t(1));
    std::fill(std::begin(big), std::end(big), uint16_t(1));
    zero[5] = 0;
    big[63] = 256;
    auto open = [](int width, int height, int kind, auto &&setup) {
        return CodeOf([&] {
            CMemoryFile f;
            CJPEGImage image;
            image.SetStreamBorrowed(true);
            setup(image);
            image.OpenWrite(&f, width, height, kind, 300 << 16);
        });
    };
    auto none = [](CJPEGImage &) {};
    EXPECT_EQ(open(8, 8, kKindBilevel, none), kErrJpegImage);
    EXPECT_EQ(open(8, 8, kKindPalette8, none), kErrJpegImage);
    EXPECT_EQ(open(65536, 8, kKindGray8, none), 10021u);
    EXPECT_EQ(open(8, 65536, kKindGray8, none), 10021u);
    EXPECT_EQ(open(65535, 8, kKindGray8, none), 10043u);  // 8192 MCUs x 8 rows
    EXPECT_EQ(open(0, 8, kKindGray8, none), 10013u);
    EXPECT_EQ(open(8, 8, kKindGray8,
                   [&](CJPEGImage &i) {
                       i.SetQuality(-1);
                       i.SetTables(zero, big);
                   }),
              10017u);
    EXPECT_EQ(open(8, 8, kKindRgb24,
                   [&](CJPEGImage &i) {
                       i.SetQuality(-1);
                       i.SetTables(big, big);
                   }),
              10017u);
    EXPECT_EQ(open(8, 8, kKindRgb24, [](CJPEGImage &i) { i.SetSampling(3, 1, 1, 1); }), 10010u);
    EXPECT_EQ(open(8, 8, kKindRgb24, [](CJPEGImage &i) { i.SetSampling(2, 1, 1, 0); }), 10010u);
    // 2x2 for all three components is twelve blocks per MCU.
    EXPECT_EQ(open(8, 8, kKindRgb24, [](CJPEGImage &i) { i.SetSampling(2, 2, 2, 2); }), 10010u);
    EXPECT_EQ(open(8, 8, kKindGray8, [](CJPEGImage &i) { i.SetCoding(kJpegCodingLossless); }),
              10001u);
    EXPECT_EQ(open(65535, 8, kKindGray8, [](CJPEGImage &i) { i.SetNoRestart(true); }), 0u);
}

TEST(JpegErrors, EncoderChecksItsArguments) {
    EXPECT_EQ(CJpegEncoder::Create(kJpegProcessJfif), nullptr);
    EXPECT_EQ(JpegLastError(), 10052);
    CJpegLibrary::Acquire();
    auto e = CJpegEncoder::Create(kJpegProcessJfif);
    ASSERT_NE(e, nullptr);
    const uint8_t data[3] = {1, 2, 3};
    const struct {
        std::function<bool()> call;
        int code;
    } cases[] = {
        {[&] { return e->AddAppSegment(0xE0, data, 3); }, 10058},
        {[&] { return e->AddAppSegment(0xF0, data, 3); }, 10058},
        {[&] { return e->SetQuantTable(4, kJpegStdLumaQuant); }, 10016},
        {[&] { return e->MapComponent(0, 4, 0, 0); }, 10016},
        {[&] { return e->MapComponent(0, 0, 2, 0); }, 10018},
        {[&] { return e->SetHuffmanTable(-1, kJpegStdHuffman[0]); }, 10018},
        {[&] { return e->SetCoding(kJpegCodingLossless); }, 10001},
        {[&] { return e->SetComponentCount(2); }, 10031},
    };
    for (const auto &c : cases) {
        EXPECT_FALSE(c.call());
        EXPECT_EQ(JpegLastError(), c.code);
    }
    // Rows past the declared height and a short page are both refused.
    CMemoryFile f;
    f.Open(kOpenReadWrite);
    ASSERT_TRUE(e->SetComponentCount(1));
    ASSERT_TRUE(e->SetQuantTable(0, kJpegStdLumaQuant));
    ASSERT_TRUE(e->SetHuffmanTable(kHuffDc0, kJpegStdHuffman[kHuffDc0]));
    ASSERT_TRUE(e->SetHuffmanTable(kHuffAc0, kJpegStdHuffman[kHuffAc0]));
    ASSERT_TRUE(e->SetImageSize(4, 3));
    ASSERT_TRUE(e->Start(&f));
    const uint8_t rows[16] = {};
    EXPECT_FALSE(e->WriteRows(rows, 4, 4));
    EXPECT_EQ(JpegLastError(), 10014);
    EXPECT_TRUE(e->WriteRows(rows, 2, 4));
    EXPECT_FALSE(e->Finish());
    EXPECT_EQ(JpegLastError(), 10014);
    e.reset();
    CJpegLibrary::Release();
}

TEST(JpegErrors, WriterRefusesBilevelAndExtraPages) {
    CMemoryFile f;
    f.Open(kOpenReadWrite);
    CJpegOption option;
    CImgToJPEG w;
    w.Open(&option, &f);
    EXPECT_EQ(CodeOf([&] { w.BeginPage(CImgParam(kPixelBilevel, 8, 8, 1, 300)); }), kErrJpegImage);
    CImgToJPEG second;
    second.Open(&option, &f);
    second.BeginPage(CImgParam(kPixelGray, 8, 8, 8, 300));
    EXPECT_EQ(CodeOf([&] { second.BeginPage(CImgParam(kPixelGray, 8, 8, 8, 300)); }),
              kErrJpegImage);
    CImgToJPEG shortRows;
    shortRows.Open(&option, &f);
    EXPECT_EQ(CodeOf([&] { shortRows.BeginPage(CImgParam(kPixelRgb, 8, 8, 23, 300)); }),
              kErrJpegImage);
}

TEST(JpegErrors, FailedPageOfANamedFileLeavesNoFile) {
    // A refused page never touches the file; a page that fails once the
    // writer has opened the file takes the half-written file away.
    const struct {
        int pixelType;
        int rowsWritten;
        bool opened;
    } cases[] = {{kPixelBilevel, 0, false}, {kPixelGray, 5, true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.pixelType);
        ScopedPath out("out.jpg");
        const std::vector<uint8_t> before(50, 1);
        WriteAll(out.path, before);
        CJpegOption option;
        CImgToJPEG w;
        const std::vector<uint8_t> rows(8 * 10, 0x80);
        const uint32_t code = CodeOf([&] {
            w.Open(&option, out.path.c_str());
            w.BeginPage(CImgParam(c.pixelType, 8, 10, 8, 300));
            w.WriteData(size_t(c.rowsWritten) * 8, rows.data());
            w.EndPage();
        });
        EXPECT_EQ(code, c.opened ? 10014u : kErrJpegImage);
        EXPECT_EQ(w.OpenedFile(), c.opened);
        w.Abandon();
        EXPECT_EQ(FileExists(out.path), !c.opened);
        if (!c.opened) {
            EXPECT_EQ(ReadAll(out.path), before);
        }
    }
}

TEST(JpegQuality, ScalingFollowsTheQualityCurve) {
    const struct {
        int quality;
        uint16_t entry, expected;
    } cases[] = {
        {50, 16, 16}, {75, 16, 8}, {100, 16, 1}, {101, 99, 1},   {25, 16, 32},
        {1, 16, 255}, {0, 2, 100}, {-5, 1, 50},  {-1, 300, 300}, {90, 1, 1},
    };
    for (const auto &c : cases) {
        uint16_t table[64];
        std::fill(std::begin(table), std::end(table), c.entry);
        JpegScaleTable(table, c.quality);
        EXPECT_EQ(table[0], c.expected) << "quality " << c.quality;
    }
}

TEST(JpegStages, QuantiserRoundsHalfAwayFromZeroForEveryStepAndCoefficient) {
    uint16_t table[64];
    int16_t coef[64], out[64], plain[64], sse2[64];
    for (int q = 1; q <= 255; ++q) {
        std::fill(std::begin(table), std::end(table), uint16_t(q));
        CJpegQuantizer quant;
        quant.SetTable(table);
        // Coefficients come eight times their true size; every one of the
        // allowed range is tried, each at a different block position.
        for (int base = -16384; base <= 16384; base += 64) {
            for (int k = 0; k < 64; ++k)
                coef[k] = static_cast<int16_t>(std::min(base + k, 16384));
            const uint64_t nonZero = quant.Quantize(coef, out);
            ASSERT_EQ(quant.QuantizePlain(coef, plain), nonZero);
            ASSERT_TRUE(std::equal(out, out + 64, plain)) << "the chosen kernel differs";
            if (JpegCpuHasSse2()) {
                ASSERT_EQ(quant.QuantizeSse2(coef, sse2), nonZero);
                ASSERT_TRUE(std::equal(sse2, sse2 + 64, plain)) << "the SSE2 kernel differs";
            }
            for (int k = 0; k < 64; ++k) {
                const int i = kJpegNaturalOrder[k];
                ASSERT_EQ((nonZero >> k) & 1, uint64_t(out[i] != 0));
                const int x = coef[i];
                const int d = 8 * q;
                const int c = x > 0 ? x + d / 2 : x - d / 2;
                const int expected = std::abs(c) < d ? 0 : c / d;
                ASSERT_EQ(out[i], expected) << "x " << x << " q " << q;
            }
        }
    }
}

// The DCT basis function (u, v) at sample (x, y), unnormalised.
double Basis(int u, int v, int x, int y) {
    return std::cos((2 * x + 1) * u * std::numbers::pi / 16) *
           std::cos((2 * y + 1) * v * std::numbers::pi / 16);
}

TEST(JpegStages, IntegerDctStaysWithinOneOfEightTimesTheExactTransform) {
    // Noise, flat blocks, and for every coefficient the two blocks that
    // drive it to its largest magnitude (0 and 255 by the basis' sign),
    // where the narrow kernels come closest to overflowing.
    std::vector<std::array<uint8_t, 64>> blocks;
    for (uint32_t seed = 0; seed < 200; ++seed) {
        std::array<uint8_t, 64> &b = blocks.emplace_back();
        for (int i = 0; i < 64; ++i)
            b[i] = seed < 4 ? static_cast<uint8_t>(seed * 85) : FNoise(i, seed, 7);
    }
    for (int uv = 0; uv < 64; ++uv)
        for (int polarity = 0; polarity < 2; ++polarity) {
            std::array<uint8_t, 64> &b = blocks.emplace_back();
            for (int i = 0; i < 64; ++i)
                b[i] = (Basis(uv % 8, uv / 8, i % 8, i / 8) > 0) != (polarity == 1) ? 255 : 0;
        }
    int16_t out[64], plain[64], sse2[64];
    for (const std::array<uint8_t, 64> &block : blocks) {
        JpegForwardDctPlain(block.data(), 8, plain);
        JpegForwardDct(block.data(), 8, out);
        ASSERT_TRUE(std::equal(out, out + 64, plain)) << "the chosen kernel differs";
        if (JpegCpuHasSse2()) {
            kJpegKernelsSse2.forwardDct(block.data(), 8, sse2);
            ASSERT_TRUE(std::equal(sse2, sse2 + 64, plain)) << "the SSE2 kernel differs";
        }
        if (JpegCpuHasAvx2()) {
            // The block beside its mirror image, both through the pair kernel
            // with the finest and the coarsest steps.
            uint8_t pair[8 * 16];
            for (int i = 0; i < 64; ++i) {
                pair[(i / 8) * 16 + i % 8] = block[i];
                pair[(i / 8) * 16 + 8 + i % 8] = block[63 - i];
            }
            for (uint16_t step : {uint16_t(1), uint16_t(255)}) {
                uint16_t table[64];
                std::fill(std::begin(table), std::end(table), step);
                CJpegQuantizer quant;
                quant.SetTable(table);
                int16_t got[2][64], expected[64], coef[64];
                uint64_t nonZero[2];
                JpegTransformQuantizePairAvx2(pair, 16, quant.KernelSteps(), got[0], nonZero[0],
                                              got[1], nonZero[1]);
                for (int b = 0; b < 2; ++b) {
                    JpegForwardDctPlain(pair + 8 * b, 16, coef);
                    const uint64_t mask = quant.QuantizePlain(coef, expected);
                    ASSERT_TRUE(std::equal(expected, expected + 64, got[b])) << "pair " << b;
                    ASSERT_EQ(CJpegQuantizer::ZigzagMask(nonZero[b]), mask) << "pair " << b;
                }
            }
        }
        for (int v = 0; v < 8; ++v)
            for (int u = 0; u < 8; ++u) {
                double sum = 0;
                for (int y = 0; y < 8; ++y)
                    for (int x = 0; x < 8; ++x)
                        sum += (block[y * 8 + x] - 128) * Basis(u, v, x, y);
                const double cu = u ? 1 : 1 / std::numbers::sqrt2,
                             cv = v ? 1 : 1 / std::numbers::sqrt2;
                ASSERT_NEAR(plain[v * 8 + u], 2 * sum * cu * cv, 2.0) << u << " " << v;
            }
    }
}

TEST(JpegStages, ColourConversionMatchesTheFormulaForEveryRgbValue) {
    CJpegLibrary::Acquire();
    constexpr int kWidth = 256;
    std::vector<uint8_t> rgb(3 * kWidth), planes(3 * kWidth), plain(3 * kWidth);
    CJpegColorConverter converter(3, true, kWidth, kWidth);
    for (int r = 0; r < 256; ++r)
        for (int g = 0; g < 256; ++g) {
            for (int b = 0; b < 256; ++b) {
                rgb[3 * b] = uint8_t(r);
                rgb[3 * b + 1] = uint8_t(g);
                rgb[3 * b + 2] = uint8_t(b);
            }
            uint8_t *out[3] = {&planes[0], &planes[kWidth], &planes[2 * kWidth]};
            converter.ConvertRow(rgb.data(), out);
            CJpegColorConverter::ConvertRgbPlain(rgb.data(), kWidth, &plain[0], &plain[kWidth],
                                                 &plain[2 * kWidth]);
            ASSERT_EQ(planes, plain) << "the chosen kernel differs at r " << r << " g " << g;
            for (int b = 0; b < 256; b += 51) {
                ASSERT_EQ(planes[b], (19595 * r + 38470 * g + 7471 * b + 32768) >> 16);
                // Cb and Cr round too, their half one short so that 255.5 stays 255.
                ASSERT_EQ(planes[kWidth + b],
                          (-11059 * r - 21709 * g + 32768 * b + 8388608 + 32767) >> 16);
                ASSERT_EQ(planes[2 * kWidth + b],
                          (32768 * r - 27439 * g - 5329 * b + 8388608 + 32767) >> 16);
            }
        }
    CJpegLibrary::Release();
}

TEST(JpegStages, StandardHuffmanTablesCodeEverySymbolOnce) {
    std::set<int> acSymbols = {0x00, 0xF0};
    for (int run = 0; run < 16; ++run)
        for (int size = 1; size <= 10; ++size)
            acSymbols.insert(run << 4 | size);
    for (int slot = 0; slot < kHuffSlots; ++slot) {
        const JpegHuffmanDefinition &s = kJpegStdHuffman[slot];
        std::set<int> values(s.values, s.values + s.count);
        int counted = 0;
        for (uint8_t b : s.bits)
            counted += b;
        EXPECT_EQ(counted, s.count);
        EXPECT_EQ(values.size(), size_t(s.count));
        if (slot >= kHuffAc0) {
            EXPECT_EQ(values, acSymbols);
        }
        JpegDerivedTable derived;
        EXPECT_TRUE(DeriveHuffmanTable(s, slot < kHuffAc0, derived));
    }
    JpegHuffmanDefinition overfull = kJpegStdHuffman[kHuffDc0];
    overfull.bits[0] = 3;  // three 1-bit codes cannot exist
    JpegDerivedTable derived;
    EXPECT_FALSE(DeriveHuffmanTable(overfull, true, derived));
}

}  // namespace
