// One scanned page saved through the scan utility's page loop, from a
// source that hands out rows block by block as the memory transfer does,
// into a real file. Prints the peak resident size of the process, so that
// pages of different heights can be compared: the page is never held whole.
//
// usage: save_memory_bench TYPE HEIGHT FILE   (TYPE 1 TIFF, 2 JPEG, 3 multi-page TIFF, 4 PDF)
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "PageSaver.h"

namespace {
constexpr uint32_t kWidth = 4960;  // A4 at 600 dpi
constexpr uint32_t kRowBytes = kWidth * 3;

class CRowSource : public ITransferSource {
public:
    explicit CRowSource(uint32_t height) : m_height(height) {}
    TW_UINT32 setupMemXfer() override { return 256 * 1024; }
    int getImageInfo(TW_IMAGEINFO &info, double &resolution) override {
        info = TW_IMAGEINFO{};
        info.ImageWidth = kWidth;
        info.ImageLength = static_cast<TW_INT32>(m_height);
        info.SamplesPerPixel = 3;
        info.BitsPerSample[0] = info.BitsPerSample[1] = info.BitsPerSample[2] = 8;
        info.BitsPerPixel = 24;
        resolution = 600;
        return 3;
    }
    TW_UINT16 imageMemXfer(void *buffer, TW_UINT32 &length, TW_IMAGEMEMXFER &block) override {
        const uint32_t rows = std::min(length / kRowBytes, m_height - m_row);
        auto *out = static_cast<uint8_t *>(buffer);
        for (uint32_t r = 0; r < rows; ++r)
            for (uint32_t x = 0; x < kRowBytes; ++x)
                out[r * kRowBytes + x] =
                    static_cast<uint8_t>((x / 3 + (m_row + r) / 2) * (x % 3 + 1));
        block.BytesPerRow = kRowBytes;
        block.Rows = rows;
        block.YOffset = m_row;
        block.BytesWritten = length = rows * kRowBytes;
        m_row += rows;
        return m_row == m_height ? TWRC_XFERDONE : TWRC_SUCCESS;
    }
    bool endXfer() override { return true; }
    void resetXfers() override {}

private:
    uint32_t m_height;
    uint32_t m_row = 0;
};

class CQuiet : public ISaveUi, public ISaveFiles, public IHighCompression {
public:
    EOverwrite AskOverwrite(const std::string &, bool) override { return EOverwrite::Yes; }
    void ShowMessage(int id, const std::string &name) override {
        std::fprintf(stderr, "message %d %s\n", id, name.c_str());
    }
    void ShowFailure(const std::string &what) override {
        std::fprintf(stderr, "%s\n", what.c_str());
    }
    void Log(const std::string &) override {}
    bool CreateNew(const std::string &) override { return true; }
    bool Exists(const std::string &) override { return false; }
    bool Remove(const std::string &path) override { return std::remove(path.c_str()) == 0; }
    std::optional<uint64_t> Size(const std::string &) override { return 0; }
    std::string WriterName(const std::string &path) override { return path; }
    void Convert(const std::string &, bool) override {}
};
}  // namespace

int main(int argc, char **argv) {
    if (argc != 4)
        return 2;
    const int type = std::atoi(argv[1]);
    CRowSource source(static_cast<uint32_t>(std::atoi(argv[2])));
    CQuiet quiet;
    CPageSaver saver(source, quiet, quiet, quiet);
    saver.Run(CSaveOptions(type, SSaveValues{1, 2, 1, 0, 1, 0, 0, 0}), argv[3]);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%ld\n", usage.ru_maxrss);
    return saver.Written().size() == 1 ? 0 : 1;
}
