// The three entry points as the scan utility calls them: the order, the
// results, and what is left at the output path after each sequence.
#include "ImgOption.h"
#include "ImgParam.h"
#include "ImgToTIFF2.h"
#include "MrcError.h"
#include "TempPath.h"
#include "cvpsmrc.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace corv::mrc {
namespace {

using test::FileExists;
using test::ReadAll;
using test::ScopedPath;

// A small scan: a dark bar on light paper, RGB or grey.
void WriteScan(const std::string &path, int pages, int samples) {
    CTiffOption option(0, 0, 0);
    CImgToTIFF2 writer;
    writer.Open(&option, path.c_str());
    const int w = 120, h = 90;
    std::vector<uint8_t> rows(size_t(w) * h * samples, 240);
    for (int y = 40; y < 50; ++y)
        for (int x = 10; x < 110; ++x)
            for (int s = 0; s < samples; ++s)
                rows[(size_t(y) * w + x) * samples + s] = 20;
    for (int p = 0; p < pages; ++p) {
        writer.BeginPage(
            CImgParam(samples == 3 ? kPixelRgb : kPixelGray, w, h, w * samples, 150.0));
        writer.WriteData(rows.size(), rows.data());
        writer.EndPage();
    }
    writer.Close();
}

enum class Call { Init, File, End };

struct Step {
    Call call;
    const char *argument;  // "out", "scan", "grey", "bad", "missing", "nofolder" or null
    int32_t result;
};

struct Sequence {
    const char *name;
    std::vector<Step> steps;
    bool pdfExpected;
    int pages;
};

int CountPages(const std::vector<uint8_t> &pdf) {
    const std::string text(pdf.begin(), pdf.end());
    int n = 0;
    for (size_t at = text.find("/Type/Page/"); at != std::string::npos;
         at = text.find("/Type/Page/", at + 1))
        ++n;
    return n;
}

const Sequence kSequences[] = {
    {"init, file, end",
     {{Call::Init, "out", 0}, {Call::File, "scan", 0}, {Call::End, nullptr, 0}},
     true,
     2},
    {"two files in one document",
     {{Call::Init, "out", 0},
      {Call::File, "scan", 0},
      {Call::File, "grey", 0},
      {Call::End, nullptr, 0}},
     true,
     3},
    {"end without init", {{Call::End, nullptr, kMrcNotStarted}}, false, 0},
    {"file without init", {{Call::File, "scan", kMrcNotStarted}}, false, 0},
    {"a missing TIFF ends the document",
     {{Call::Init, "out", 0},
      {Call::File, "missing", kMrcInputMissing},
      {Call::End, nullptr, kMrcNotStarted}},
     false,
     0},
    {"a broken TIFF ends the document",
     {{Call::Init, "out", 0},
      {Call::File, "bad", kMrcBadTiff},
      {Call::End, nullptr, kMrcNotStarted}},
     false,
     0},
    {"an output folder that does not exist",
     {{Call::Init, "nofolder", kMrcOutputFailed}, {Call::File, "scan", kMrcNotStarted}},
     false,
     0},
    {"no output path", {{Call::Init, nullptr, kMrcBadArgument}}, false, 0},
    {"no pages", {{Call::Init, "out", 0}, {Call::End, nullptr, kMrcNoPages}}, false, 0},
    {"a new init after a failed run starts afresh",
     {{Call::Init, "out", 0},
      {Call::File, "bad", kMrcBadTiff},
      {Call::Init, "out", 0},
      {Call::File, "grey", 0},
      {Call::End, nullptr, 0}},
     true,
     1},
    {"init twice keeps only the second document",
     {{Call::Init, "out", 0},
      {Call::File, "scan", 0},
      {Call::Init, "out", 0},
      {Call::File, "grey", 0},
      {Call::End, nullptr, 0}},
     true,
     1},
    {"end twice",
     {{Call::Init, "out", 0},
      {Call::File, "grey", 0},
      {Call::End, nullptr, 0},
      {Call::End, nullptr, kMrcNotStarted}},
     true,
     1},
};

TEST(EntryPoints, CallOrderResultsAndWhatIsLeft) {
    ScopedPath scan("scan.tif"), grey("grey.tif"), bad("bad.tif");
    WriteScan(scan.path, 2, 3);
    WriteScan(grey.path, 1, 1);
    test::WriteAll(bad.path, {'I', 'I', 42, 0, 8, 0, 0, 0, 1});
    const char *empty = "";
    const SInitOptions options{1, empty, empty, empty, empty, -1, -1};
    const SFolderOptions folder{2, "C:\\Program Files\\Corvane"};
    const int32_t six[6] = {0, -1, -1, -1, -1, -1};

    for (const Sequence &s : kSequences) {
        ScopedPath out("out.pdf");
        const std::string noFolder =
            (std::filesystem::path(out.path).parent_path() / "no-such-folder" / "out.pdf").string();
        auto pathOf = [&](const char *a) -> const char * {
            if (!a)
                return nullptr;
            const std::string name = a;
            return name == "out"        ? out.path.c_str()
                   : name == "scan"     ? scan.path.c_str()
                   : name == "grey"     ? grey.path.c_str()
                   : name == "bad"      ? bad.path.c_str()
                   : name == "nofolder" ? noFolder.c_str()
                                        : "no-such-scan.tif";
        };
        for (const Step &step : s.steps) {
            int32_t got = -1;
            switch (step.call) {
                case Call::Init:
                    got = CVMRCPDFInit(pathOf(step.argument), 1, &options, &folder, 0);
                    break;
                case Call::File:
                    got = CVMRCPDFFile(pathOf(step.argument), 0, six, 0);
                    break;
                case Call::End:
                    got = CVMRCPDFEnd();
                    break;
            }
            EXPECT_EQ(got, step.result) << s.name;
        }
        CVMRCPDFEnd();  // leaves nothing open for the next sequence
        EXPECT_EQ(FileExists(out.path), s.pdfExpected) << s.name;
        EXPECT_FALSE(FileExists(out.path + ".mrc-part")) << s.name;
        EXPECT_FALSE(FileExists(noFolder)) << s.name;
        if (s.pdfExpected) {
            const std::vector<uint8_t> pdf = ReadAll(out.path);
            const std::string text(pdf.begin(), pdf.end());
            EXPECT_EQ(text.rfind("%PDF-1.4", 0), 0u) << s.name;
            EXPECT_EQ(text.substr(text.size() - 6), "%%EOF\n") << s.name;
            EXPECT_EQ(CountPages(pdf), s.pages) << s.name;
        }
    }
}

TEST(EntryPoints, ReplacesAnOlderFileOnlyWhenTheNewOneIsDone) {
    ScopedPath scan("scan.tif"), out("out.pdf");
    WriteScan(scan.path, 1, 3);
    test::WriteAll(out.path, {'o', 'l', 'd'});
    ASSERT_EQ(CVMRCPDFInit(out.path.c_str(), 1, nullptr, nullptr, 0), 0);
    ASSERT_EQ(CVMRCPDFFile(scan.path.c_str(), 0, nullptr, 0), 0);
    EXPECT_EQ(ReadAll(out.path).size(), 3u) << "the old file stays until End";
    ASSERT_EQ(CVMRCPDFEnd(), 0);
    EXPECT_GT(ReadAll(out.path).size(), 100u);
}

}  // namespace
}  // namespace corv::mrc
