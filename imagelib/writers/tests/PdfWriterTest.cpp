// The PDF writer's file layout: objects, numbering, the cross-reference
// table, page placement, filter lines, streaming and its refusals.
#include "../../tests/RaisedCode.h"
#include "../../tests/TempPath.h"
#include "PdfTestSupport.h"

#include <gtest/gtest.h>

using namespace corv;
using namespace corv::test;

namespace {

CPdfOption Option(int bilevel, int color, bool ascii85, int quality = 2) {
    return CPdfOption(quality, bilevel, color, ascii85);
}

bool Has(const std::string &pdf, const std::string &text) {
    return pdf.find(text) != std::string::npos;
}

}  // namespace

TEST(PdfWriter, TinyPageIsWrittenByteForByte) {
    const TestPage page = MakePage(kPixelBilevel, 10, 10, Pattern::F);
    const std::string pdf = PdfInMemory(Option(1, 1, false), {page});
    const std::string data(page.rows.begin(), page.rows.end());
    const std::string expected =
        "%PDF-1.2\n\n"
        "%catalog\n1 0 obj\n<<\n/Type /Catalog\n/Pages 2 0 R\n>>\nendobj\n"
        "%Resource\n4 0 obj\n<<\n/ProcSet [/PDF /ImageB /ImageC]\n/XObject << /Im0 7 0 R >>\n>>\n"
        "endobj\n\n"
        "%Image\n5 0 obj\n<<\n/Length 6 0 R\n>>\nstream\n"
        "q\n2.40 0 0 2.40 34.80 34.80 cm\n/Im0 Do\nQ\nendstream\nendobj\n\n"
        "%Length of Image\n6 0 obj\n40\nendobj\n\n"
        "%page\n3 0 obj\n<<\n/Type /Page\n/MediaBox [ 0.00 0.00 72.00 72.00 ]\n/Parent 2 0 R\n"
        "/Resources 4 0 R\n/Contents 5 0 R\n>>\nendobj\n\n"
        "%Image XObject\n7 0 obj\n<<\n/Type /XObject\n/Subtype /Image\n/Name /Im0\n/Width 10\n"
        "/Height 10\n/BitsPerComponent 1\n/ColorSpace /DeviceGray\n/Length 8 0 R\n>>\nstream\n" +
        data +
        "\nendstream\nendobj\n\n"
        "%Image Length\n8 0 obj\n20\nendobj\n\n"
        "%pages\n2 0 obj\n<<\n/Kids [3 0 R ]\n/Count 1\n/Type /Pages\n"
        "/MediaBox [ 0 0  595 842 ]\n>>\nendobj\n"
        "xref\n0 9\n0000000000 65535 f \n";
    ASSERT_GE(pdf.size(), expected.size());
    EXPECT_EQ(pdf.substr(0, expected.size()), expected);
    EXPECT_EQ(pdf.substr(expected.size(), 20), "0000000019 00000 n \n");
    const size_t xref = expected.size() - 29;
    EXPECT_EQ(pdf.substr(expected.size() + 8 * 20),
              "\ntrailer\n<<\n/Size 9\n/Root 1 0 R\n>>\nstartxref\n" + std::to_string(xref) +
                  "\n%%EOF\n");
    EXPECT_EQ(CheckXref(pdf), 9);
}

TEST(PdfWriter, PagesAreNumberedSixApartAndListedInOrder) {
    const std::vector<TestPage> pages = {MakePage(kPixelBilevel, 33, 20, Pattern::Checker),
                                         MakePage(kPixelGray, 17, 9, Pattern::F),
                                         MakePage(kPixelRgb, 11, 13, Pattern::Random)};
    for (int pageCount = 1; pageCount <= 3; ++pageCount) {
        std::vector<TestPage> some(pages.begin(), pages.begin() + pageCount);
        const std::string pdf = PdfInMemory(Option(3, 2, true), some);
        EXPECT_EQ(CheckXref(pdf), 3 + 6 * pageCount) << pageCount << " pages";
        std::string kids = "/Kids [";
        for (int i = 0; i < pageCount; ++i)
            kids += std::to_string(3 + 6 * i) + " 0 R ";
        EXPECT_TRUE(Has(pdf, kids + "]\n/Count " + std::to_string(pageCount) + "\n")) << kids;
    }
}

TEST(PdfWriter, PagePlacementFollowsSizeAndResolution) {
    struct Case {
        int width, height;
        double dpi;
        const char *box, *matrix;
    } cases[] = {
        {1654, 2339, 200, "[ 0.00 0.00 595.44 842.04 ]", "595.44 0 0 842.04 0.00 0.00 cm"},
        {10, 10, 300, "[ 0.00 0.00 72.00 72.00 ]", "2.40 0 0 2.40 34.80 34.80 cm"},
        {1000, 100, 300, "[ 0.00 0.00 240.00 72.00 ]", "240.00 0 0 24.00 0.00 24.00 cm"},
        {300, 300, 300, "[ 0.00 0.00 72.00 72.00 ]", "72.00 0 0 72.00 0.00 0.00 cm"},
    };
    for (const Case &c : cases) {
        const std::string pdf = PdfInMemory(
            Option(1, 1, false), {MakePage(kPixelBilevel, c.width, c.height, Pattern::White)},
            c.dpi, 1 << 20);
        EXPECT_TRUE(Has(pdf, std::string("/MediaBox ") + c.box + "\n")) << c.width;
        EXPECT_TRUE(Has(pdf, std::string("q\n") + c.matrix + "\n/Im0 Do\nQ\nendstream")) << c.width;
    }
}

TEST(PdfWriter, FilterLinesFollowPixelTypeAndOptions) {
    struct Case {
        int pixelType, bilevel, color;
        bool ascii85;
        const char *lines;
    } cases[] = {
        {kPixelGray, 1, 2, true, "/Filter [ /ASCII85Decode /DCTDecode ]\n"},
        {kPixelRgb, 3, 2, false, "/Filter /DCTDecode \n"},
        {kPixelBilevel, 3, 2, false,
         "/Filter /CCITTFaxDecode \n/DecodeParms << /K -1 /Columns 10 >>\n"},
        {kPixelBilevel, 2, 1, false,
         "/Filter /CCITTFaxDecode \n/DecodeParms << /K 0 /Columns 10 >>\n"},
        {kPixelBilevel, 2, 1, true,
         "/Filter [ /ASCII85Decode /CCITTFaxDecode ]\n/DecodeParms [ null << /K 0 /Columns 10 >> "
         "]\n"},
        {kPixelBilevel, 1, 2, true, "/Filter /ASCII85Decode \n"},
        {kPixelBilevel, 1, 2, false, ""},
        {kPixelGray, 3, 1, false, ""},
        {kPixelRgb, 1, 1, true, "/Filter /ASCII85Decode \n"},
    };
    for (const Case &c : cases) {
        const CPdfOption option = Option(c.bilevel, c.color, c.ascii85);
        const TestPage page = MakePage(c.pixelType, 10, 16, Pattern::F);
        EXPECT_EQ(CPDFXObjImage::FilterLines(CImgParam(c.pixelType, 10, 16, page.RowBytes(), 300),
                                             option),
                  c.lines);
        const std::string pdf = PdfInMemory(option, {page});
        const std::string bits = c.pixelType == kPixelBilevel ? "1" : "8";
        const std::string space = c.pixelType == kPixelRgb ? "/DeviceRGB" : "/DeviceGray";
        EXPECT_TRUE(Has(pdf, "/BitsPerComponent " + bits + "\n" + c.lines + "/ColorSpace " + space +
                                 "\n/Length 8 0 R\n>>\nstream\n"))
            << c.lines;
    }
}

TEST(PdfWriter, StreamLengthObjectsMatchTheStreams) {
    const std::vector<TestPage> pages = {MakePage(kPixelBilevel, 77, 41, Pattern::Random),
                                         MakePage(kPixelGray, 40, 24, Pattern::F)};
    for (bool ascii85 : {false, true}) {
        const std::string pdf = PdfInMemory(Option(3, 2, ascii85), pages);
        for (int image : {7, 13}) {
            const size_t head = pdf.find(std::to_string(image) + " 0 obj\n<<\n/Type /XObject");
            ASSERT_NE(head, std::string::npos);
            const size_t start = pdf.find(">>\nstream\n", head) + 10;
            const size_t end = pdf.find("\nendstream\nendobj\n\n%Image Length\n", start);
            ASSERT_NE(end, std::string::npos);
            const std::string lengthObject = std::to_string(image + 1) + " 0 obj\n" +
                                             std::to_string(end - start) + "\nendobj\n\n";
            EXPECT_EQ(pdf.compare(end + 33, lengthObject.size(), lengthObject), 0) << image;
            if (ascii85) {
                EXPECT_EQ(pdf.substr(end - 2, 2), "~>");
            }
        }
    }
}

// Rows split anywhere, and rows carrying padding, give the same file as
// whole packed rows, for every coder.
TEST(PdfWriter, ChunkingAndRowPaddingDoNotChangeTheFile) {
    struct Case {
        int pixelType, bilevel, color;
        bool ascii85;
    } cases[] = {{kPixelBilevel, 1, 1, false}, {kPixelBilevel, 2, 1, false},
                 {kPixelBilevel, 3, 1, true},  {kPixelGray, 1, 1, true},
                 {kPixelGray, 1, 2, false},    {kPixelRgb, 1, 2, true},
                 {kPixelRgb, 1, 1, false}};
    for (const Case &c : cases) {
        const TestPage page = MakePage(c.pixelType, 37, 21, Pattern::Random);
        const CPdfOption option = Option(c.bilevel, c.color, c.ascii85);
        const std::string whole = PdfInMemory(option, {page}, 300, 1 << 20);
        for (size_t chunk : {size_t{1}, size_t{7}, size_t{64}}) {
            for (int pad : {0, 3}) {
                EXPECT_EQ(PdfInMemory(option, {page}, 300, chunk, pad), whole)
                    << "type " << c.pixelType << " chunk " << chunk << " pad " << pad;
            }
        }
    }
}

TEST(PdfWriter, RefusesBadPagesAndCallsOutOfOrder) {
    const CImgParam good(kPixelGray, 8, 8, 8, 300);
    struct Case {
        const char *what;
        CImgParam param;
    } cases[] = {
        {"pixel type", CImgParam(4, 8, 8, 8, 300)},
        {"zero width", CImgParam(kPixelGray, 0, 8, 8, 300)},
        {"zero height", CImgParam(kPixelGray, 8, 0, 8, 300)},
        {"short rows", CImgParam(kPixelRgb, 8, 8, 23, 300)},
        {"zero resolution", CImgParam(kPixelGray, 8, 8, 8, 0)},
        {"negative resolution", CImgParam(kPixelBilevel, 8, 8, 1, -200)},
    };
    CPdfOption option;
    for (const Case &c : cases) {
        CMemoryFile file;
        file.Open(kOpenReadWrite);
        CImgToPDF writer;
        writer.Open(&option, &file);
        EXPECT_EQ(CodeOf([&] { writer.BeginPage(c.param); }), kErrInvalidArg) << c.what;
    }
    CMemoryFile file;
    file.Open(kOpenReadWrite);
    CImgToPDF writer;
    EXPECT_EQ(CodeOf([&] { writer.BeginPage(good); }), kErrInvalidArg) << "before open";
    writer.Open(&option, &file);
    const uint8_t row[8] = {};
    EXPECT_EQ(CodeOf([&] { writer.WriteData(8, row); }), kErrInvalidArg) << "no page";
    EXPECT_EQ(CodeOf([&] { writer.EndPage(); }), kErrInvalidArg) << "no page";
    writer.BeginPage(good);
    EXPECT_EQ(CodeOf([&] { writer.BeginPage(good); }), kErrInvalidArg) << "page open";
    EXPECT_EQ(CodeOf([&] { writer.Close(); }), kErrInvalidArg) << "page open";
    EXPECT_EQ(writer.FormatId(), 3);
}

TEST(PdfWriter, FileOpenedByNameIsRemovedAfterAFailure) {
    CPdfOption option;
    ScopedPath out("failed.pdf");
    CImgToPDF writer;
    writer.Open(&option, out.path.c_str());
    EXPECT_TRUE(writer.OpenedFile());
    WritePage(writer, MakePage(kPixelGray, 20, 20, Pattern::F), 300, 100);
    EXPECT_NE(CodeOf([&] { writer.BeginPage(CImgParam(kPixelGray, 20, 20, 20, 0)); }), 0u);
    writer.Abandon();
    EXPECT_FALSE(FileExists(out.path));

    CImgToPDF noDir;
    const std::string missing = out.path + ".d/x.pdf";
    EXPECT_NE(CodeOf([&] { noDir.Open(&option, missing.c_str()); }), 0u);
    noDir.Abandon();
    EXPECT_FALSE(FileExists(missing));
}

TEST(PdfWriter, FileOpenedByNameEndsAtTheTrailer) {
    CPdfOption option;
    ScopedPath out("over.pdf");
    WriteAll(out.path, std::vector<uint8_t>(100000, 'x'));
    CImgToPDF writer;
    writer.Open(&option, out.path.c_str());
    WritePage(writer, MakePage(kPixelBilevel, 16, 16, Pattern::F), 300, 5);
    writer.Close();
    const std::vector<uint8_t> bytes = ReadAll(out.path);
    const std::string pdf(bytes.begin(), bytes.end());
    EXPECT_EQ(pdf, PdfInMemory(option, {MakePage(kPixelBilevel, 16, 16, Pattern::F)}));
}
