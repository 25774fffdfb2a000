// Pages by file transfer: every BMP file the source writes has the right
// headers, palette and bottom-up B G R rows of the page the server sent.
// Each file is left, with the page as PNM beside it, in a folder of the
// build tree, where the test check_bmp_export.sh has ImageMagick (a decoder
// we did not write) decode both and compare them pixel by pixel.
#include <cstdio>
#include <filesystem>

#include "TransferCases.h"
#include "TwainScanTest.h"

namespace {

std::string ExportFolder() {
    std::string folder = CORV_BMP_EXPORT_DIR;
    for (char &c : folder)
        if (c == '/')
            c = '\\';
    return folder;
}

bool WriteFile(const std::string &name, const std::string &data) {
    FILE *f = std::fopen(name.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

// Files of an earlier run must not be taken for this run's: the folder
// is emptied once, before the first test of the program.
class CFreshExportFolder : public ::testing::Environment {
public:
    void SetUp() override {
        std::filesystem::remove_all(ExportFolder());
        std::filesystem::create_directories(ExportFolder());
    }
};

const ::testing::Environment *const kFreshExportFolder =
    ::testing::AddGlobalTestEnvironment(new CFreshExportFolder);

class TwainFileTransfer : public CTwainScanTest,
                          public ::testing::WithParamInterface<STransferCase> {};

TEST_P(TwainFileTransfer, BmpFilesHoldThePagesAsTheServerSentThem) {
    const STransferCase &c = GetParam();
    Scenario(c.scenario);
    const std::string prefix = ExportFolder() + "\\" + c.name + "_p";
    SAcquireOptions options;
    options.mech = EXferMech::File;
    options.filePrefix = prefix;
    const SAcquisition scan = Scan(c.setup, options);
    int number = 0;
    ExpectPagesAsSent(
        scan, EXferMech::File, c.pages, [&](const CServerPage &sent, const STransferredPage &) {
            const std::string name = c.name + "_p" + std::to_string(++number);
            ASSERT_TRUE(WriteFile(prefix + std::to_string(number) + ".pnm", sent.ToPnm()));
            FILE *manifest = std::fopen((ExportFolder() + "\\manifest.txt").c_str(), "ab");
            ASSERT_NE(manifest, nullptr);
            std::fprintf(manifest, "%s %d %d\n", name.c_str(), sent.Record().width,
                         sent.Record().height);
            std::fclose(manifest);
        });
    ExpectClosesCleanly();
    EXPECT_FALSE(Job().open);
}

INSTANTIATE_TEST_SUITE_P(File, TwainFileTransfer,
                         ::testing::ValuesIn(ModeAndResolutionCases(EXferMech::File)),
                         TransferCaseName);
INSTANTIATE_TEST_SUITE_P(FileFeederAndPadding, TwainFileTransfer,
                         ::testing::ValuesIn(FeederAndRowPaddingCases(EXferMech::File)),
                         TransferCaseName);

}  // namespace
