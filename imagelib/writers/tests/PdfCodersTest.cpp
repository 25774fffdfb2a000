// The PDF writer's helpers: ASCII85 text, the linked list, the pipe the
// JPEG writer writes into and the cross-reference table.
#include "ASCII85Encoder.h"
#include "DList.h"
#include "ImgToJPEG.h"
#include "MemoryFile.h"
#include "PDFImagePipe.h"
#include "PDFXRefPart.h"
#include "../../tests/RaisedCode.h"
#include "../../tests/TestImages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace corv;

namespace {

std::string Ascii85(const std::vector<uint8_t> &bytes, size_t chunk = 3) {
    CMemoryFile file;
    file.Open(kOpenReadWrite);
    CASCII85Encoder encoder(&file);
    for (size_t at = 0; at < bytes.size(); at += chunk)
        encoder.Write(bytes.data() + at, std::min(chunk, bytes.size() - at));
    encoder.Finish();
    return std::string(reinterpret_cast<const char *>(file.Data()), size_t(file.Length()));
}

std::vector<uint8_t> Bytes(const std::string &s) {
    return std::vector<uint8_t>(s.begin(), s.end());
}

}  // namespace

TEST(Ascii85, GroupsTailsAndZeros) {
    struct Case {
        std::vector<uint8_t> in;
        const char *out;
    } cases[] = {
        {{}, "~>"},
        {Bytes("Man "), "9jqo^~>"},
        {Bytes("sure."), "F*2M7/c~>"},
        {{0xFF, 0xFF, 0xFF, 0xFF}, "s8W-!~>"},
        {{0, 0, 0, 0}, "z~>"},
        {{0, 0, 0, 0, 0, 0, 0, 0}, "zz~>"},
        // A padded tail of zeros keeps its length: never "z".
        {{0}, "!!~>"},
        {{0, 0, 0}, "!!!!~>"},
        {{0, 0, 0, 0, 0}, "z!!~>"},
        {{0, 0, 0, 1}, "!!!!\"~>"},
    };
    for (const Case &c : cases)
        for (size_t chunk : {size_t{1}, size_t{3}, size_t{100}})
            EXPECT_EQ(Ascii85(c.in, chunk), c.out) << c.out << " chunk " << chunk;
}

TEST(Ascii85, BreaksLinesAfterTheGroupThatPassesSeventyOneCharacters) {
    // 15 five-character groups fill 75 characters, the first count past 71.
    const std::string text = Ascii85(std::vector<uint8_t>(64, 0x41));
    const size_t nl = text.find('\n');
    EXPECT_EQ(nl, 75u);
    EXPECT_EQ(text.substr(nl + 1), "5s[e&~>");
    // "z" counts one character.
    const std::string zeros = Ascii85(std::vector<uint8_t>(4 * 80, 0));
    EXPECT_EQ(zeros.find('\n'), 72u);
}

namespace {

class Counted : public DObject {
public:
    Counted(int number, int *alive) : Number(number), m_alive(alive) { ++*m_alive; }
    ~Counted() override { --*m_alive; }
    int Number;

private:
    int *m_alive;
};

}  // namespace

TEST(DList, SortsRelinksAndOwnsItsElements) {
    int alive = 0;
    {
        DList list(true);
        for (int n : {5, 2, 9, 1, 7})
            list.Append(new Counted(n, &alive));
        EXPECT_EQ(list.Count(), 5u);
        list.Sort(CompareByNumber<Counted>);
        std::vector<int> forward, backward;
        for (DObject *o = list.First(); o; o = list.Next())
            forward.push_back(static_cast<Counted *>(o)->Number);
        for (DNode *n = list.Tail(); n; n = n->Prev)
            backward.push_back(static_cast<Counted *>(n->Element)->Number);
        EXPECT_EQ(forward, (std::vector<int>{1, 2, 5, 7, 9}));
        EXPECT_EQ(backward, (std::vector<int>{9, 7, 5, 2, 1}));
        EXPECT_EQ(alive, 5);
    }
    EXPECT_EQ(alive, 0);
    Counted kept(1, &alive);
    {
        DList borrowed(false);
        borrowed.Append(&kept);
    }
    EXPECT_EQ(alive, 1);
}

// The JPEG writer opens, buffers and seeks its stream; through the pipe the
// same JPEG bytes must come out as on a memory file of its own.
TEST(PdfImagePipe, PassesTheJpegFileUnchanged) {
    using namespace corv::test;
    for (int type : {kPixelGray, kPixelRgb}) {
        const TestPage page = MakePage(type, 45, 19, Pattern::F);
        CJpegOption option;
        option.Quality = 3;
        auto encode = [&](CComFile &stream) {
            CImgToJPEG writer;
            writer.Open(&option, &stream);
            writer.BeginPage(CImgParam(type, page.width, page.height, page.RowBytes(), 300));
            writer.WriteData(page.rows.size(), page.rows.data());
            writer.EndPage();
            writer.Close();
        };
        CMemoryFile file;
        file.Open(kOpenReadWrite);
        encode(file);
        std::vector<uint8_t> piped;
        CPDFImagePipe pipe(
            [&](const uint8_t *b, size_t n) { piped.insert(piped.end(), b, b + n); });
        encode(pipe);
        EXPECT_EQ(piped, std::vector<uint8_t>(file.Data(), file.Data() + file.Length()));
        EXPECT_EQ(pipe.BytesPassed(), piped.size());
        EXPECT_EQ(pipe.Tell(), 0);
        EXPECT_STREQ(pipe.NameA(), "none");
    }
}

// Offsets past 2 GiB keep all their digits; past ten digits the table
// cannot hold them and the writer refuses rather than write a wrong one.
TEST(PdfXRef, OffsetsAreTenDigitsWideWithoutOverflow) {
    CPDFXRefPart xref;
    xref.Record(2, 4294967396);
    xref.Record(1, 19);
    EXPECT_EQ(corv::test::CodeOf([&] { xref.Record(3, 10000000000); }), kErrInvalidArg);
    CMemoryFile file;
    file.Open(kOpenReadWrite);
    xref.Write(file);
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(file.Data()), size_t(file.Length())),
              "xref\n0 3\n0000000000 65535 f \n0000000019 00000 n \n4294967396 00000 n \n\n");
}
