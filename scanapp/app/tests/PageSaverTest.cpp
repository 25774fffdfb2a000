// The page loop against a source that behaves like ours (rows padded to
// four bytes as the server sends them, whole rows per block at YOffset)
// and the real writers on a real disk; every file is read back by
// libtiff, poppler or djpeg.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <deque>
#include <filesystem>
#include <map>

#include "Decoders.h"
#include "PageSaver.h"

using namespace corv::test;
namespace fs = std::filesystem;

namespace {

struct SPage {
    int colour;  // 1 black and white, 2 grey, 3 colour
    int width;
    int height;
};

uint8_t Sample(int x, int y, int c, int seed) {
    return static_cast<uint8_t>((x * 3 + y * 5 + c * 70 + seed * 31) & 0xFF);
}

// The page as the writers take it: rows of their own length, no padding.
std::vector<uint8_t> Pixels(const SPage &p, int seed) {
    const int samples = p.colour == 3 ? 3 : 1;
    const size_t rowBytes = p.colour == 1 ? size_t(p.width + 7) / 8 : size_t(p.width) * samples;
    std::vector<uint8_t> out(rowBytes * p.height, 0);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            if (p.colour == 1) {
                if (((x / 3 + y / 5 + seed) & 1) != 0)
                    out[y * rowBytes + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
                continue;
            }
            for (int c = 0; c < samples; ++c)
                out[y * rowBytes + size_t(x) * samples + c] = Sample(x, y, c, seed);
        }
    return out;
}

class CFakeSource : public ITransferSource {
public:
    std::vector<SPage> pages;
    int outputType = 1;
    // Page (1-based) and row at which the source cancels, or raises 210.
    int cancelPage = 0, failPage = 0;
    uint32_t faultRow = 0;
    std::vector<std::string> calls;

    TW_UINT32 setupMemXfer() override { return 4096; }
    int getImageInfo(TW_IMAGEINFO &info, double &resolution) override {
        calls.push_back("info");
        const SPage &p = pages.at(m_page);
        info = TW_IMAGEINFO{};
        info.ImageWidth = p.width;
        info.ImageLength = p.height;
        info.SamplesPerPixel = p.colour == 3 ? 3 : 1;
        for (int c = 0; c < info.SamplesPerPixel; ++c)
            info.BitsPerSample[c] = p.colour == 1 ? 1 : 8;
        info.BitsPerPixel = static_cast<TW_INT16>(info.SamplesPerPixel * info.BitsPerSample[0]);
        info.XResolution.Whole = 200;
        resolution = 200;
        m_pixels = Pixels(p, static_cast<int>(m_page));
        m_row = 0;
        if (p.colour == 1 && outputType == 2)
            throw 220;
        if (p.colour == 1 && outputType == 5)
            throw 221;
        return p.colour;
    }
    TW_UINT16 imageMemXfer(void *buffer, TW_UINT32 &length, TW_IMAGEMEMXFER &block) override {
        const SPage &p = pages.at(m_page);
        const uint32_t rowBytes = static_cast<uint32_t>(m_pixels.size() / p.height);
        const uint32_t stride = (rowBytes + 3) & ~3u;
        const int page = static_cast<int>(m_page) + 1;
        if (page == cancelPage && m_row >= faultRow)
            return TWRC_CANCEL;
        if (page == failPage && m_row >= faultRow)
            throw 210;
        const uint32_t rows = std::min<uint32_t>(length / stride, p.height - m_row);
        auto *out = static_cast<uint8_t *>(buffer);
        for (uint32_t r = 0; r < rows; ++r)
            std::memcpy(out + r * stride, &m_pixels[(m_row + r) * rowBytes], rowBytes);
        block.BytesPerRow = stride;
        block.Rows = rows;
        block.YOffset = m_row;
        block.BytesWritten = rows * stride;
        length = rows * stride;
        m_row += rows;
        return m_row == static_cast<uint32_t>(p.height) ? TWRC_XFERDONE : TWRC_SUCCESS;
    }
    bool endXfer() override {
        calls.push_back("end");
        return ++m_page >= pages.size();
    }
    void resetXfers() override {
        calls.push_back("reset");
        m_page = pages.size();
    }

private:
    size_t m_page = 0;
    uint32_t m_row = 0;
    std::vector<uint8_t> m_pixels;
};

class CFakeUi : public ISaveUi {
public:
    std::deque<EOverwrite> answers;
    std::vector<std::string> asked;
    std::vector<std::string> shown;
    EOverwrite AskOverwrite(const std::string &name, bool extra) override {
        asked.push_back(name + (extra ? "+" : ""));
        EOverwrite a = answers.empty() ? EOverwrite::No : answers.front();
        if (!answers.empty())
            answers.pop_front();
        return a;
    }
    void ShowMessage(int id, const std::string &name) override {
        shown.push_back(std::to_string(id) + (name.empty() ? "" : " " + name));
    }
    void ShowFailure(const std::string &what) override { shown.push_back("failure " + what); }
    void Log(const std::string &) override {}
};

class CDiskFiles : public ISaveFiles {
public:
    std::map<std::string, uint64_t> claimedSize;
    bool CreateNew(const std::string &path) override {
        if (fs::exists(path))
            return false;
        FILE *f = std::fopen(path.c_str(), "wb");
        if (f)
            std::fclose(f);
        return f != nullptr;
    }
    bool Exists(const std::string &path) override { return fs::exists(path); }
    bool Remove(const std::string &path) override { return std::remove(path.c_str()) == 0; }
    std::optional<uint64_t> Size(const std::string &path) override {
        if (claimedSize.count(fs::path(path).filename().string()))
            return claimedSize[fs::path(path).filename().string()];
        std::error_code ec;
        const auto size = fs::file_size(path, ec);
        return ec ? std::nullopt : std::optional<uint64_t>(size);
    }
    std::string WriterName(const std::string &path) override { return path; }
};

class CFakeConversion : public IHighCompression {
public:
    std::vector<std::string> calls;
    void Convert(const std::string &tiff, bool skip) override {
        calls.push_back(fs::path(tiff).filename().string() + (skip ? " skip" : ""));
    }
};

struct SCase {
    const char *name;
    int type;
    std::vector<SPage> pages;
    std::vector<std::string> existing;  // files there before, holding "old"
    std::vector<EOverwrite> answers;
    int cancelPage = 0, failPage = 0;
    uint32_t faultRow = 0;
    std::map<std::string, uint64_t> claimedSize;
    // What must be there afterwards: file name -> the pages (indexes into
    // `pages`) it holds; "old" files must be untouched.
    std::map<std::string, std::vector<int>> files;
    std::vector<std::string> asked;
    std::vector<std::string> shown;
    std::vector<std::string> calls;
    std::vector<std::string> converted;
};

const SPage kGrey{2, 203, 61}, kColour{3, 97, 45}, kMono{1, 150, 70};
using E = EOverwrite;

// clang-format off
const SCase kCases[] = {
    {"FiveTiffPagesAreNumbered", 1, {kGrey, kColour, kMono, kGrey, kGrey}, {}, {}, 0, 0, 0, {},
     {{"x.tif", {0}}, {"x2.tif", {1}}, {"x3.tif", {2}}, {"x4.tif", {3}}, {"x5.tif", {4}}},
     {}, {}, {"info", "end", "info", "end", "info", "end", "info", "end", "info", "end"}, {}},
    {"MultiPageTiffHoldsEveryPage", 3, {kGrey, kColour, kMono}, {}, {}, 0, 0, 0, {},
     {{"x.tif", {0, 1, 2}}}, {}, {}, {"info", "end", "info", "end", "info", "end"}, {}},
    {"PdfHoldsEveryPage", 4, {kGrey, kColour, kMono}, {}, {}, 0, 0, 0, {},
     {{"x.pdf", {0, 1, 2}}}, {}, {}, {"info", "end", "info", "end", "info", "end"}, {}},
    {"JpegPerPage", 2, {kColour, kGrey}, {}, {}, 0, 0, 0, {},
     {{"x.jpg", {0}}, {"x2.jpg", {1}}}, {}, {}, {"info", "end", "info", "end"}, {}},
    {"MonoToJpegRefusedAndTheRestReset", 2, {kGrey, kMono, kGrey}, {}, {}, 0, 0, 0, {},
     {{"x.jpg", {0}}}, {}, {"220"}, {"info", "end", "info", "end", "reset"}, {}},
    {"NoDropsOnlyThatPage", 2, {kGrey, kGrey, kGrey}, {"x2.jpg"}, {E::No}, 0, 0, 0, {},
     {{"x.jpg", {0}}, {"x2.jpg", {}}, {"x3.jpg", {2}}}, {"x2.jpg+"}, {},
     {"info", "end", "info", "end", "info", "end"}, {}},
    {"CancelDropsThePageAndResetsTheRest", 2, {kGrey, kGrey, kGrey}, {"x2.jpg"}, {E::Cancel},
     0, 0, 0, {}, {{"x.jpg", {0}}, {"x2.jpg", {}}}, {"x2.jpg+"}, {},
     {"info", "end", "info", "reset"}, {}},
    {"ReplaceAllAsksOnce", 1, {kGrey, kGrey, kGrey}, {"x2.tif", "x3.tif"}, {E::All}, 0, 0, 0,
     {}, {{"x.tif", {0}}, {"x2.tif", {1}}, {"x3.tif", {2}}}, {"x2.tif+"}, {},
     {"info", "end", "info", "end", "info", "end"}, {}},
    {"MultiPageOverwriteNoWritesNothing", 3, {kGrey}, {"x.tif"}, {E::No}, 0, 0, 0, {},
     {{"x.tif", {}}}, {"x.tif"}, {}, {"reset"}, {}},
    {"MultiPageOverwriteYesReplaces", 4, {kGrey}, {"x.pdf"}, {E::Yes}, 0, 0, 0, {},
     {{"x.pdf", {0}}}, {"x.pdf"}, {}, {"info", "end"}, {}},
    {"CancelMidPageKeepsTheCompletePages", 4, {kGrey, kColour, kGrey}, {}, {}, 2, 0, 20, {},
     {{"x.pdf", {0}}}, {}, {}, {"info", "end", "info", "end", "reset"}, {}},
    {"CancelMidFirstPageLeavesNoFile", 3, {kGrey, kGrey}, {}, {}, 1, 0, 20, {}, {}, {}, {},
     {"info", "end", "reset"}, {}},
    {"CancelMidPageOfASeriesDropsItsFile", 1, {kGrey, kGrey}, {}, {}, 2, 0, 20, {},
     {{"x.tif", {0}}}, {}, {}, {"info", "end", "info", "end"}, {}},
    {"SourceFailureMidPageKeepsTheCompletePages", 3, {kGrey, kGrey, kGrey}, {}, {}, 0, 2, 30,
     {}, {{"x.tif", {0}}}, {}, {}, {"info", "end", "info", "end", "reset"}, {}},
    {"SizeLimitDeletesTheFile", 3, {kGrey, kGrey}, {}, {}, 0, 0, 0, {{"x.tif", 0x7FFFFFFFull}},
     {}, {}, {"222 x.tif"}, {"info", "reset"}, {}},
    {"SizeLimitNotReachedAtItsValue", 3, {kGrey}, {}, {}, 0, 0, 0, {{"x.tif", 0x7FFFFFFEull}},
     {{"x.tif", {0}}}, {}, {}, {"info", "end"}, {}},
    {"HighCompressionConverts", 5, {kGrey, kColour}, {}, {}, 0, 0, 0, {},
     {{"x.tif", {0, 1}}}, {}, {}, {"info", "end", "info", "end"}, {"x.tif"}},
    {"HighCompressionMonoSkipsTheConversion", 5, {kGrey, kMono}, {}, {}, 0, 0, 0, {},
     {{"x.tif", {0}}}, {}, {"221"}, {"info", "end", "info", "end"}, {"x.tif skip"}},
};
// clang-format on

class PageSaverCase : public ::testing::TestWithParam<SCase> {};

// The decoded pages of `file`, each in the writers' layout.
std::vector<std::vector<uint8_t>> Decode(const std::string &file, const std::vector<SPage> &pages,
                                         const std::vector<int> &which) {
    const std::string ext = fs::path(file).extension().string();
    if (ext == ".tif")
        return DecodeWithLibtiff(file);
    std::vector<std::vector<uint8_t>> out;
    ScopedPath prefix("img");
    const std::string tool = ext == ".pdf" ? "pdfimages " : "djpeg -pnm -outfile ";
    const std::string target = ext == ".pdf" ? prefix.path : prefix.path + "-000.pnm";
    EXPECT_EQ(RunTool(tool + (ext == ".pdf" ? Quote(file) + " " + Quote(target)
                                            : Quote(target) + " " + Quote(file)))
                  .status,
              0);
    if (ext == ".pdf") {
        EXPECT_EQ(RunTool("qpdf --check " + Quote(file)).status, 0);
    }
    for (size_t i = 0; i < which.size(); ++i) {
        const SPage &p = pages[which[i]];
        char leaf[32];
        std::snprintf(leaf, sizeof leaf, "-%03d.%s", int(i),
                      ext == ".jpg"   ? "pnm"
                      : p.colour == 1 ? "pbm"
                                      : "ppm");
        Pnm pnm = ReadPnm(prefix.path + leaf);
        std::remove((prefix.path + leaf).c_str());
        // Grey comes out of pdfimages as PPM: one sample kept.
        if (p.colour == 2 && pnm.kind == '6') {
            std::vector<uint8_t> grey;
            for (size_t k = 0; k < pnm.data.size(); k += 3)
                grey.push_back(pnm.data[k]);
            pnm.data = grey;
        }
        // PBM says 1 for black, the writers 1 for white.
        if (p.colour == 1)
            for (uint8_t &b : pnm.data)
                b = static_cast<uint8_t>(~b);
        out.push_back(p.colour == 1 ? ClearRowTails(pnm.data, p.width) : pnm.data);
    }
    return out;
}

TEST_P(PageSaverCase, SavesWhatTheSourceSent) {
    const SCase &c = GetParam();
    const fs::path dir = fs::path(TempPath(std::string("saver-") + c.name));
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (const std::string &name : c.existing)
        WriteAll((dir / name).string(), {'o', 'l', 'd'});
    CFakeSource source;
    source.pages = c.pages;
    source.outputType = c.type;
    source.cancelPage = c.cancelPage;
    source.failPage = c.failPage;
    source.faultRow = c.faultRow;
    CFakeUi ui;
    ui.answers.assign(c.answers.begin(), c.answers.end());
    CDiskFiles files;
    files.claimedSize = c.claimedSize;
    CFakeConversion conversion;

    CPageSaver saver(source, ui, files, conversion);
    saver.Run(CSaveOptions(c.type, SSaveValues{1, 2, 1, 0, 2, 0, 0, 0}), (dir / "x").string());

    EXPECT_EQ(ui.asked, c.asked);
    EXPECT_EQ(ui.shown, c.shown);
    EXPECT_EQ(source.calls, c.calls);
    EXPECT_EQ(conversion.calls, c.converted);
    std::vector<std::string> there;
    for (const auto &entry : fs::directory_iterator(dir))
        there.push_back(entry.path().filename().string());
    std::sort(there.begin(), there.end());
    std::vector<std::string> expected;
    for (const auto &[name, pages] : c.files)
        expected.push_back(name);
    EXPECT_EQ(there, expected) << "nothing else may be left behind";
    for (const auto &[name, which] : c.files) {
        SCOPED_TRACE(name);
        const std::string path = (dir / name).string();
        if (which.empty()) {
            EXPECT_EQ(ReadAll(path), (std::vector<uint8_t>{'o', 'l', 'd'}));
            continue;
        }
        const auto decoded = Decode(path, c.pages, which);
        ASSERT_EQ(decoded.size(), which.size());
        for (size_t i = 0; i < which.size(); ++i) {
            const std::vector<uint8_t> sent = Pixels(c.pages[which[i]], which[i]);
            if (name.find(".jpg") != std::string::npos ||
                (name.find(".pdf") != std::string::npos && c.pages[which[i]].colour != 1))
                EXPECT_GE(Psnr(decoded[i], sent), 30.0) << "page " << i;
            else
                EXPECT_TRUE(decoded[i] == sent) << "page " << i;
        }
    }
    fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Saving, PageSaverCase, ::testing::ValuesIn(kCases),
                         [](const auto &info) { return std::string(info.param.name); });

// A disk that fills up in the middle of a page, and a folder that cannot
// take a file: the file goes, the user is told, the source is let go.
TEST(PageSaver, AWriterFailureDeletesTheFileAndSaysSo) {
    const fs::path dir = fs::path(TempPath("saver-full"));
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (const bool fullDisk : {true, false}) {
        SCOPED_TRACE(fullDisk ? "full disk" : "read-only folder");
        CFakeSource source;
        source.pages = {{3, 800, 600}, {3, 800, 600}};
        source.outputType = 3;
        CFakeUi ui;
        CDiskFiles files;
        CFakeConversion conversion;
        CPageSaver saver(source, ui, files, conversion);
        // A "folder" that is a file cannot take a file, even for root.
        const fs::path folder = fullDisk ? dir : dir / "plain-file";
        if (!fullDisk)
            WriteAll(folder.string(), {'x'});
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        if (fullDisk) {
            // Past 1 MB every write fails, as on a full disk.
            signal(SIGXFSZ, SIG_IGN);
            rlimit small = old;
            small.rlim_cur = 1 << 20;
            setrlimit(RLIMIT_FSIZE, &small);
        }
        saver.Run(CSaveOptions(3, SSaveValues{}), (folder / "x").string());
        setrlimit(RLIMIT_FSIZE, &old);
        EXPECT_EQ(ui.shown, (std::vector<std::string>{"215 x.tif"}));
        EXPECT_EQ(source.calls, fullDisk ? (std::vector<std::string>{"info", "end", "reset"})
                                         : (std::vector<std::string>{"end", "reset"}));
        EXPECT_FALSE(fs::exists(dir / "x.tif"));
    }
    fs::remove_all(dir);
}

TEST(PageSaver, NamesAndOptionWord) {
    struct {
        const char *chosen, *ext, *output;
    } names[] = {{"scan.tif", ".tif", "scan.tif"},     {"scan", ".tif", "scan.tif"},
                 {"scan.TIF", ".tif", "scan.TIF.tif"}, {"scan.jpg", ".tif", "scan.jpg.tif"},
                 {"a.tif\\b", ".tif", "a.tif\\b.tif"}, {"scan.Pdf", ".pdf", "scan.Pdf.pdf"}};
    for (const auto &n : names)
        EXPECT_EQ(CSaveOptions::OutputName(n.chosen, n.ext), n.output) << n.chosen;
    EXPECT_EQ(CSaveOptions::PageFileName("C:\\d.x\\scan.tif", 1), "C:\\d.x\\scan.tif");
    EXPECT_EQ(CSaveOptions::PageFileName("C:\\d.x\\scan.tif", 12), "C:\\d.x\\scan12.tif");
    EXPECT_EQ(CSaveOptions::PageFileName("C:\\d.x\\scan", 2), "C:\\d.x\\scan2");
    EXPECT_EQ(CSaveOptions::DisplayName("C:/a\\b/スキャン.tif"), "スキャン.tif");
    // BW 2, gray 1, encode 1, PDF quality 3, JPEG quality 0, compression 1.
    const SSaveValues v{0, 2, 1, 1, 3, 1, 0, 0};
    struct {
        int type;
        uint32_t word;
    } words[] = {{1, 2 | 32 | 64},
                 {2, 2 | (1 << 2) | 32},
                 {3, 2 | 32 | 64},
                 {4, 2 | (4 << 2) | 32},
                 {5, 2 | 32}};
    for (const auto &w : words)
        EXPECT_EQ(CSaveOptions::OptionWord(w.type, v), w.word) << w.type;
    SSaveValues none = v;
    none.GrayCompression = 0;
    EXPECT_EQ(CSaveOptions::OptionWord(4, none), 2u | 32u) << "no JPEG without gray compression";
}

}  // namespace
