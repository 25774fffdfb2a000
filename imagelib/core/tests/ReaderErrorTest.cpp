// Broken and hostile files: each is refused with the library's code for
// its fault, sizes before anything is allocated for them.
#include "BMPImage.h"
#include "ImageError.h"
#include "ImageFactory.h"
#include "ImgToJPEG.h"
#include "ImgToTIFF2.h"
#include "JPEGImage.h"
#include "MemoryFile.h"
#include "TIFFImage.h"

#include "../../tests/RaisedCode.h"
#include "../../tests/TestImages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

using namespace corv;
using namespace corv::test;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Contents(CMemoryFile &file) {
    const auto size = static_cast<size_t>(file.Size());
    return Bytes(file.Data(), file.Data() + size);
}

Bytes OurTiff(int pixelType, int compression) {
    const TestPage p = MakePage(pixelType, 64, 48, Pattern::F);
    CTiffOption o(1, 1, 2);
    if (compression == kCompressG4)
        o.BilevelCompression = kTiffOptionG4;
    else if (compression != kCompressNone)
        o.StripCompression = compression;
    CMemoryFile file;
    file.Open(kOpenReadWrite);
    CImgToTIFF2 w;
    w.Open(&o, &file);
    w.BeginPage(CImgParam(pixelType, p.width, p.height, p.RowBytes(), 300));
    w.WriteData(p.rows.size(), p.rows.data());
    w.EndPage();
    w.Close();
    return Contents(file);
}

Bytes OurJpeg() {
    const TestPage p = MakePage(3, 64, 48, Pattern::F);
    CJpegOption o;
    CMemoryFile file;
    file.Open(kOpenReadWrite);
    CImgToJPEG w;
    w.Open(&o, &file);
    w.BeginPage(CImgParam(3, p.width, p.height, p.RowBytes(), 300));
    w.WriteData(p.rows.size(), p.rows.data());
    w.EndPage();
    w.Close();
    return Contents(file);
}

Bytes OurBmp() {
    CMemoryFile file;
    file.Open(kOpenReadWrite);
    CBMPImage image;
    image.SetStreamBorrowed(true);
    image.OpenWrite(&file, 10, 4, kKindGray8, 72 << 16);
    image.Finish();
    return Contents(file);
}

// Sets the inline value of a tag in a little-endian TIFF's first IFD.
Bytes Tag(Bytes b, uint16_t tag, uint32_t value) {
    auto u16 = [&](size_t at) { return uint32_t(b[at] | b[at + 1] << 8); };
    const size_t ifd = b[4] | b[5] << 8 | b[6] << 16 | size_t(b[7]) << 24;
    for (uint32_t i = 0; i < u16(ifd); ++i) {
        const size_t e = ifd + 2 + 12 * size_t(i);
        if (u16(e) == tag) {
            const bool isShort = u16(e + 2) == 3;
            for (int k = 0; k < 4; ++k)
                b[e + 8 + k] = static_cast<uint8_t>(isShort && k >= 2 ? 0 : value >> (8 * k));
            return b;
        }
    }
    ADD_FAILURE() << "no tag " << tag;
    return b;
}

uint32_t TagValue(const Bytes &b, uint16_t tag) {
    auto u16 = [&](size_t at) { return uint32_t(b[at] | b[at + 1] << 8); };
    const size_t ifd = b[4] | b[5] << 8 | b[6] << 16 | size_t(b[7]) << 24;
    for (uint32_t i = 0; i < u16(ifd); ++i) {
        const size_t e = ifd + 2 + 12 * size_t(i);
        if (u16(e) == tag)
            return u16(e + 8) | u16(e + 10) << 16;
    }
    ADD_FAILURE() << "no tag " << tag;
    return 0;
}

Bytes At(Bytes b, size_t at, std::initializer_list<uint8_t> bytes) {
    std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<ptrdiff_t>(at));
    return b;
}

size_t Find(const Bytes &b, std::initializer_list<uint8_t> pattern) {
    auto it = std::search(b.begin(), b.end(), pattern.begin(), pattern.end());
    EXPECT_NE(it, b.end());
    return size_t(it - b.begin());
}

// Opens the file with the reader of its format and reads every row.
uint32_t ReadAllRows(int formatKind, Bytes bytes) {
    return CodeOf([&] {
        std::unique_ptr<CComImage> image = NewImage(formatKind);
        CMemoryFile file;
        file.Attach(bytes.data(), bytes.size());
        image->SetStreamBorrowed(true);
        image->OpenRead(&file);
        ImageBand band;
        while (image->ReadBand(band, 16) > 0) {
        }
    });
}

struct Case {
    const char *name;
    int formatKind;
    std::function<Bytes()> make;
    uint32_t code;
};

TEST(ReaderErrors, EachFaultHasItsCode) {
    const Bytes jpeg = OurJpeg();
    const size_t sof = Find(jpeg, {0xFF, 0xC0});
    const Case cases[] = {
        {"tiff sound", 1, [] { return OurTiff(2, kCompressLzw); }, 0},
        {"tiff compression 2", 1, [] { return Tag(OurTiff(1, kCompressNone), 259, 2); },
         kErrTiffCompression},
        {"tiff 4-bit gray", 1, [] { return Tag(OurTiff(2, kCompressNone), 258, 4); }, kErrTiffBits},
        {"tiff CMYK", 1, [] { return Tag(OurTiff(3, kCompressNone), 262, 5); }, kErrTiffBits},
        {"tiff YCbCr without JPEG", 1, [] { return Tag(OurTiff(3, kCompressNone), 262, 6); },
         kErrTiffCompression},
        {"tiff G4 on gray", 1, [] { return Tag(OurTiff(2, kCompressNone), 259, 4); },
         kErrTiffCompression},
        {"tiff bad magic", 1, [] { return At(OurTiff(1, kCompressNone), 2, {43}); }, kErrTiffMagic},
        {"tiff directory past the end", 1,
         [] {
             return At(OurTiff(1, kCompressNone), 4, {0xF0, 0xFF, 0xFF, 0x0F});
         },
         kErrTiffEof},
        {"tiff page larger than the file", 1,
         [] {
             return Tag(Tag(Tag(OurTiff(2, kCompressNone), 256, 60000), 257, 60000), 278, 60000);
         },
         kErrTiffImageSize},
        {"tiff lzw page beyond any ratio", 1,
         [] {
             return Tag(Tag(Tag(OurTiff(2, kCompressLzw), 256, 200000), 257, 200000), 278, 200000);
         },
         kErrTiffImageSize},
        {"tiff g4 rows beyond the bits", 1,
         [] { return Tag(Tag(OurTiff(1, kCompressG4), 278, 250000), 257, 250000); },
         kErrTiffImageSize},
        {"tiff side over the limit", 1,
         [] { return Tag(OurTiff(1, kCompressG4), 256, CTIFFImage::kMaxSide + 1); },
         kErrTiffImageSize},
        {"tiff lzw garbage", 1,
         [] {
             // Clear, a literal, then a code the table cannot hold yet.
             Bytes b = OurTiff(2, kCompressLzw);
             return At(b, TagValue(b, 273), {0x80, 0x7F, 0xFF, 0xFF, 0xF0});
         },
         kErrLzwCorrupt},
        {"jpeg sound", 2, [&] { return jpeg; }, 0},
        {"jpeg not jpeg", 2,
         [&] {
             return At(jpeg, 0, {'B', 'M'});
         },
         kErrJpegNotJpeg},
        {"jpeg hierarchical", 2, [&] { return At(jpeg, sof + 1, {0xC5}); }, kErrJpegImage},
        {"jpeg hierarchical lossless", 2, [&] { return At(jpeg, sof + 1, {0xC7}); }, kErrJpegImage},
        {"jpeg progressive page beyond the coefficient cap", 2,
         [&] {
             return At(At(jpeg, sof + 1, {0xC2}), sof + 5, {0xFF, 0xFF, 0xFF, 0xFF});
         },
         10003u},
        {"jpeg progressive with a sequential scan", 2, [&] { return At(jpeg, sof + 1, {0xC2}); },
         kErrJpegCorrupt},
        {"jpeg lossless 17-bit", 2, [&] { return At(At(jpeg, sof + 1, {0xC3}), sof + 4, {17}); },
         kErrJpegPrecision},
        {"jpeg arithmetic", 2, [&] { return At(jpeg, sof + 1, {0xC9}); }, kErrJpegArithmetic},
        {"jpeg 12-bit", 2, [&] { return At(jpeg, sof + 4, {12}); }, kErrJpegPrecision},
        {"jpeg height 0", 2,
         [&] {
             return At(jpeg, sof + 5, {0, 0});
         },
         kErrJpegZeroHeight},
        {"jpeg DNL", 2, [&] { return At(jpeg, 3, {0xDC}); }, kErrJpegDnl},
        {"jpeg two components", 2, [&] { return At(jpeg, sof + 9, {2}); },
         kErrJpegCorrupt},  // the frame's length no longer fits
        {"jpeg cut short", 2, [&] { return Bytes(jpeg.begin(), jpeg.begin() + 700); }, kErrJpegEof},
        // The data of a small page runs out of restart markers in step.
        {"jpeg huge page, tiny data", 2,
         [&] {
             return At(jpeg, sof + 5, {0xFF, 0xFF, 0xFF, 0xFF});
         },
         10034u},
        {"bmp sound", 6, [] { return OurBmp(); }, 0},
        {"bmp not bmp", 6, [] { return At(OurBmp(), 1, {'X'}); }, kErrNotBmp},
        {"bmp 16 bits", 6, [] { return At(OurBmp(), 28, {16}); }, kErrBmpBitCount},
        {"bmp run-length of the wrong bit count", 6, [] { return At(OurBmp(), 30, {2}); }, 10056u},
        {"bmp run-length page over the cap", 6,
         [] {
             return At(At(OurBmp(), 30, {1}), 18, {0, 0, 4, 0, 0, 0, 4, 0});
         },
         kErrJpegImageSize},
        {"bmp run-length codes cut short", 6,
         [] {
             // One pixel a code: the data ends long before the page does.
             Bytes b = At(OurBmp(), 30, {1});
             for (size_t i = 54 + 1024; i + 1 < b.size(); i += 2)
                 b[i] = 1;
             return b;
         },
         kErrJpegEof},
        {"bmp rows past the end", 6,
         [] {
             return At(OurBmp(), 22, {0xA0, 0x86, 0x01});
         },
         kErrJpegEof},
        {"bmp palette past the end", 6,
         [] {
             Bytes b = OurBmp();
             b.resize(60);
             return b;
         },
         kErrJpegEof},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadAllRows(c.formatKind, c.make()), c.code);
    }
    EXPECT_EQ(CodeOf([] { NewImage(3); }), kErrUnknownFormat);
}

}  // namespace
