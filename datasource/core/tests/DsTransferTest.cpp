// Image information, layout and the three transfers through DS_Entry, with
// a job whose page the test writes, so every byte of the result is known.
#include "DsTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "WinHandles.h"

namespace {

std::vector<uint8_t> FileBytes(const std::string &name) {
    std::vector<uint8_t> out;
    if (FILE *f = std::fopen(name.c_str(), "rb")) {
        int c;
        while ((c = std::fgetc(f)) != EOF)
            out.push_back(static_cast<uint8_t>(c));
        std::fclose(f);
    }
    return out;
}

bool Exists(const std::string &name) {
    return ::GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string TempName(const char *leaf) {
    char dir[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + leaf;
}

class DsTransfer : public DsTest {
protected:
    // A page of width x height at bits per pixel whose bytes count up, rows
    // of `bytesPerRow` bytes (server padding included).
    void Page(int32_t width, int32_t height, int bits, uint32_t bytesPerRow = 0) {
        if (bytesPerRow == 0)
            bytesPerRow = bits == 1 ? (width + 7) / 8 : width * bits / 8;
        m_job.geometry = CXferPage{};
        m_job.geometry.pixelWidth = width;
        m_job.geometry.pixelHeight = height;
        m_job.geometry.bitsPerPixel = bits;
        m_job.geometry.resolution = 300;
        m_job.geometry.bytesPerRow = bytesPerRow;
        m_job.geometry.pages = 1;
        m_job.page.resize(static_cast<size_t>(bytesPerRow) * height);
        for (size_t i = 0; i < m_job.page.size(); ++i)
            m_job.page[i] = static_cast<uint8_t>(i * 7 + 1);
    }
    TW_UINT16 Image(TW_UINT16 dat, TW_UINT16 msg, void *data) {
        return Call(DG_IMAGE, dat, msg, data);
    }
    TW_UINT16 Native(HGLOBAL &dib) {
        TW_UINT32 handle = 0;
        const TW_UINT16 rc = Image(DAT_IMAGENATIVEXFER, MSG_GET, &handle);
        dib = reinterpret_cast<HGLOBAL>(static_cast<uintptr_t>(handle));
        return rc;
    }
    TW_UINT16 Mem(std::vector<uint8_t> &buffer, TW_IMAGEMEMXFER &block) {
        block = TW_IMAGEMEMXFER{};
        block.Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
        block.Memory.Length = static_cast<TW_UINT32>(buffer.size());
        block.Memory.TheMem = reinterpret_cast<TW_MEMREF>(buffer.data());
        return Image(DAT_IMAGEMEMXFER, MSG_GET, &block);
    }
    TW_UINT16 SetFile(const std::string &name, TW_UINT16 format = TWFF_BMP) {
        TW_SETUPFILEXFER setup{};
        std::strncpy(setup.FileName, name.c_str(), sizeof(setup.FileName) - 1);
        setup.Format = format;
        return Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup);
    }
    CDataSource &Source() { return *TheApp().Source(); }
};

TEST_F(DsTransfer, NativeTransferOfThreeByTwoRgbIsBottomUpBgr) {
    Page(3, 2, 24);
    // Row 0 (top): red, green, blue pixels; row 1: three greys.
    m_job.page = {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30, 40, 50, 60, 70, 80, 90};
    Reach(600);
    HGLOBAL dib = nullptr;
    ASSERT_EQ(Native(dib), TWRC_XFERDONE);
    EXPECT_EQ(State(), 700u);
    CGlobalMem owned(dib);
    CGlobalLock<uint8_t> p(dib);
    ASSERT_TRUE(p);
    ASSERT_GE(::GlobalSize(dib), 40u + 2 * 12u);
    const auto *h = reinterpret_cast<const BITMAPINFOHEADER *>(p.Get());
    EXPECT_EQ(h->biSize, 40u);
    EXPECT_EQ(h->biWidth, 3);
    EXPECT_EQ(h->biHeight, 2);
    EXPECT_EQ(h->biBitCount, 24);
    EXPECT_EQ(h->biXPelsPerMeter, 11811);
    const uint8_t *bits = p.Get() + 40;
    const uint8_t wantBottom[9] = {30, 20, 10, 60, 50, 40, 90, 80, 70};
    const uint8_t wantTop[9] = {0, 0, 255, 0, 255, 0, 255, 0, 0};
    EXPECT_EQ(std::memcmp(bits, wantBottom, 9), 0) << "stored row 0 is the last received";
    EXPECT_EQ(std::memcmp(bits + 12, wantTop, 9), 0) << "first received row on top, BGR";
    // Ending the page: a platen job ends, state 5.
    TW_PENDINGXFERS pending{};
    ASSERT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 0);
    EXPECT_EQ(State(), 500u);
    EXPECT_EQ(m_job.destroyed, 1);
    EXPECT_TRUE(::IsWindowEnabled(Dialog())) << "the user can scan again or close";
}

TEST_F(DsTransfer, NativeDibOfGreyAndBilevelCarriesThePalette) {
    struct Case {
        int bits;
        uint32_t entries;
    };
    for (const Case c : {Case{8, 256}, Case{1, 2}}) {
        SCOPED_TRACE(c.bits);
        m_job = CFakeScanJob::Script{};
        Page(9, 3, c.bits);
        Reach(600);
        HGLOBAL dib = nullptr;
        ASSERT_EQ(Native(dib), TWRC_XFERDONE);
        CGlobalMem owned(dib);
        CGlobalLock<uint8_t> p(dib);
        const auto *h = reinterpret_cast<const BITMAPINFOHEADER *>(p.Get());
        EXPECT_EQ(h->biBitCount, c.bits);
        const auto *rgb = reinterpret_cast<const RGBQUAD *>(p.Get() + 40);
        EXPECT_EQ(rgb[0].rgbRed, 0);
        EXPECT_EQ(rgb[c.entries - 1].rgbBlue, 255);
        if (c.bits == 8) {
            EXPECT_EQ(rgb[100].rgbGreen, 100);
        }
        const uint32_t exact = c.bits == 1 ? 2 : 9;
        const uint8_t *bits = p.Get() + 40 + 4 * c.entries;
        for (int g = 0; g < 3; ++g)
            EXPECT_EQ(std::memcmp(bits + (2 - g) * 4 * ((exact + 3) / 4),
                                  m_job.page.data() + g * exact, exact),
                      0);
        ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &m_app), TWRC_SUCCESS);
    }
}

TEST_F(DsTransfer, NativeDropsServerPaddingBeyondTheStride) {
    // 3 RGB pixels padded by the server to 16 bytes; the DIB stride is 12.
    Page(3, 4, 24, 16);
    Reach(600);
    HGLOBAL dib = nullptr;
    ASSERT_EQ(Native(dib), TWRC_XFERDONE);
    CGlobalMem owned(dib);
    CGlobalLock<uint8_t> p(dib);
    ASSERT_EQ(::GlobalSize(dib), 40u + 4 * 12u);
    for (int g = 0; g < 4; ++g) {
        const uint8_t *row = p.Get() + 40 + (3 - g) * 12;
        const uint8_t *src = m_job.page.data() + g * 16;
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(row[3 * x], src[3 * x + 2]);
            EXPECT_EQ(row[3 * x + 2], src[3 * x]);
        }
    }
}

TEST_F(DsTransfer, NativeCancelAndFailureEndTheJobWithCancel) {
    struct Case {
        int32_t result;
        int boxes;
    };
    for (const Case c : {Case{1, 0}, Case{3, 1}, Case{4, 1}}) {
        SCOPED_TRACE(c.result);
        m_job = CFakeScanJob::Script{};
        Page(100, 50, 8);
        m_job.failAt = 1000;
        m_job.failResult = c.result;
        Reach(600);
        HGLOBAL dib = reinterpret_cast<HGLOBAL>(1);
        EXPECT_EQ(Native(dib), TWRC_CANCEL);
        EXPECT_EQ(dib, nullptr) << "no handle handed over";
        EXPECT_EQ(State(), 500u);
        EXPECT_EQ(m_job.destroyed, 1);
        EXPECT_EQ(m_job.abandoned, 1);
        EXPECT_EQ(m_job.errorsShown, c.boxes);
        ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &m_app), TWRC_SUCCESS);
    }
}

TEST_F(DsTransfer, NativePageTooBigForOneBlockIsReportedAndCancelled) {
    // 30000 x 30000 colour pixels: 2.7 GB, beyond any block the application could get.
    m_job.geometry.pixelWidth = m_job.geometry.pixelHeight = 30000;
    m_job.geometry.bitsPerPixel = 24;
    m_job.geometry.bytesPerRow = 90000;
    Reach(600);
    HGLOBAL dib = nullptr;
    EXPECT_EQ(Native(dib), TWRC_CANCEL);
    EXPECT_EQ(dib, nullptr);
    EXPECT_EQ(m_job.errorsShown, 1) << "the no-memory box";
    EXPECT_EQ(m_job.abandoned, 1);
    EXPECT_EQ(State(), 500u);
}

TEST_F(DsTransfer, NativeSequenceAndMessageChecks) {
    Reach(500);
    HGLOBAL dib = nullptr;
    EXPECT_EQ(Native(dib), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_SEQERROR);
    TW_UINT32 handle = 0;
    Click(IDOK);
    EXPECT_EQ(Image(DAT_IMAGENATIVEXFER, MSG_SET, &handle), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_BADPROTOCOL);
}

TEST_F(DsTransfer, SetupMemXferFiguresWithAndWithoutJob) {
    Reach(500);
    TW_SETUPMEMXFER setup{};
    ASSERT_EQ(Call(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup), TWRC_SUCCESS);
    EXPECT_EQ(setup.MinBufSize, 1024u);
    EXPECT_EQ(setup.MaxBufSize, 64512u);
    EXPECT_EQ(setup.Preferred, 64512u);
    Page(1000, 10, 8);
    Click(IDOK);
    ASSERT_EQ(Call(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup), TWRC_SUCCESS);
    EXPECT_EQ(setup.MinBufSize, 1000u);
    EXPECT_EQ(setup.MaxBufSize, 65000u);
    EXPECT_EQ(setup.Preferred, 65000u);
    EXPECT_EQ(Call(DG_CONTROL, DAT_SETUPMEMXFER, MSG_SET, &setup), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_BADPROTOCOL);
    // Not in state 7.
    std::vector<uint8_t> buffer(1000);
    TW_IMAGEMEMXFER block;
    ASSERT_EQ(Mem(buffer, block), TWRC_SUCCESS);
    EXPECT_EQ(Call(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_SEQERROR);
}

TEST_F(DsTransfer, MemoryTransferDeliversWholeRowsInServerOrderWithTheirPlace) {
    Page(10, 7, 24);  // 30 bytes per row, 210 bytes
    // Reads of the job stop at every 64th byte, inside rows.
    m_job.readBoundary = 64;
    Reach(600);
    // 100 bytes: three whole rows a block however the reads fall.
    std::vector<uint8_t> buffer(100);
    std::vector<uint8_t> got(m_job.page.size() + buffer.size());
    struct Want {
        TW_UINT16 rc;
        uint32_t bpr, columns, rows, x, y, written;
    };
    const Want wants[] = {
        {TWRC_SUCCESS, 30, 10, 3, 0, 0, 90},
        {TWRC_SUCCESS, 30, 10, 3, 0, 3, 90},
        {TWRC_XFERDONE, 30, 10, 1, 0, 6, 30},
    };
    for (const Want &w : wants) {
        TW_IMAGEMEMXFER block;
        ASSERT_EQ(Mem(buffer, block), w.rc);
        EXPECT_EQ(State(), 700u);
        EXPECT_EQ(block.Compression, TWCP_NONE);
        EXPECT_EQ(block.BytesPerRow, w.bpr);
        EXPECT_EQ(block.Columns, w.columns);
        EXPECT_EQ(block.Rows, w.rows);
        EXPECT_EQ(block.XOffset, w.x);
        EXPECT_EQ(block.YOffset, w.y);
        EXPECT_EQ(block.BytesWritten, w.written);
        // As applications take a block: Rows rows of BytesPerRow at YOffset.
        std::copy_n(buffer.begin(), block.Rows * block.BytesPerRow,
                    got.begin() + block.YOffset * block.BytesPerRow);
    }
    got.resize(m_job.page.size());
    EXPECT_EQ(got, m_job.page);
}

TEST_F(DsTransfer, MemoryBufferSmallerThanARowGivesPartialRows) {
    Page(10, 2, 8);  // 10 bytes per row
    Reach(600);
    std::vector<uint8_t> buffer(4), got;
    std::vector<uint32_t> xs, widths;
    TW_UINT16 rc;
    do {
        TW_IMAGEMEMXFER block;
        rc = Mem(buffer, block);
        ASSERT_TRUE(rc == TWRC_SUCCESS || rc == TWRC_XFERDONE);
        EXPECT_EQ(block.BytesPerRow, block.BytesWritten) << "a piece reports its own length";
        EXPECT_EQ(block.Columns, block.BytesWritten);
        EXPECT_LE(block.XOffset + block.Columns, 10u);
        EXPECT_EQ(block.Rows, 1u);
        xs.push_back(block.XOffset);
        got.insert(got.end(), buffer.begin(), buffer.begin() + block.BytesWritten);
    } while (rc == TWRC_SUCCESS);
    EXPECT_EQ(got, m_job.page);
    // Pieces never cross a row end: 4 + 4 + 2 per row.
    EXPECT_EQ(xs, (std::vector<uint32_t>{0, 4, 8, 0, 4, 8}));
}

TEST_F(DsTransfer, MemoryCancelEndsTheJobAndFailureStaysInState7) {
    Page(100, 50, 8);
    m_job.failAt = 250;
    m_job.failResult = 1;
    Reach(600);
    std::vector<uint8_t> buffer(1000);
    TW_IMAGEMEMXFER block;
    EXPECT_EQ(Mem(buffer, block), TWRC_CANCEL);
    EXPECT_EQ(State(), 500u);
    EXPECT_EQ(m_job.destroyed, 1);
    EXPECT_EQ(m_job.errorsShown, 0);
    ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &m_app), TWRC_SUCCESS);

    m_job = CFakeScanJob::Script{};
    Page(100, 50, 8);
    m_job.failAt = 250;
    m_job.failResult = 3;
    Reach(600);
    EXPECT_EQ(Mem(buffer, block), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_OPERATIONERROR);
    EXPECT_EQ(State(), 700u);
    EXPECT_EQ(m_job.errorsShown, 1);
    EXPECT_EQ(m_job.destroyed, 0);
    TW_PENDINGXFERS pending{};
    ASSERT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_SUCCESS);
    EXPECT_EQ(State(), 500u);
}

TEST_F(DsTransfer, MemoryTransferIntoAnApplicationHandle) {
    Page(10, 3, 8);
    Reach(600);
    CGlobalMem mem(::GlobalAlloc(GHND, 64));
    TW_IMAGEMEMXFER block{};
    block.Memory.Flags = TWMF_APPOWNS | TWMF_HANDLE;
    block.Memory.Length = 64;
    block.Memory.TheMem = reinterpret_cast<TW_MEMREF>(mem.Get());
    ASSERT_EQ(Image(DAT_IMAGEMEMXFER, MSG_GET, &block), TWRC_XFERDONE);
    EXPECT_EQ(block.BytesWritten, 30u);
    CGlobalLock<uint8_t> p(mem.Get());
    EXPECT_EQ(std::memcmp(p.Get(), m_job.page.data(), 30), 0) << "rows land in the locked block";
}

TEST_F(DsTransfer, MemoryTransferRefusesAnEmptyBuffer) {
    Page(10, 2, 8);
    Reach(600);
    std::vector<uint8_t> none;
    TW_IMAGEMEMXFER block;
    EXPECT_EQ(Mem(none, block), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_BADVALUE);
    EXPECT_EQ(State(), 600u);
    EXPECT_EQ(m_job.result, 0) << "an empty read must not end the page";
}

TEST_F(DsTransfer, ImageInfoDescribesThePage) {
    Reach(500);
    TW_IMAGEINFO info{};
    EXPECT_EQ(Image(DAT_IMAGEINFO, MSG_GET, &info), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_SEQERROR);
    Page(1654, 2339, 24);
    Click(IDOK);
    ASSERT_EQ(Image(DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
    EXPECT_EQ(info.ImageWidth, 1654);
    EXPECT_EQ(info.ImageLength, 2339);
    EXPECT_EQ(info.PixelType, TWPT_RGB);
    EXPECT_EQ(info.BitsPerPixel, 24);
    EXPECT_EQ(info.SamplesPerPixel, 3);
    EXPECT_EQ(info.BitsPerSample[2], 8);
    EXPECT_EQ(info.BitsPerSample[3], 0);
    EXPECT_EQ(info.Compression, TWCP_NONE);
    EXPECT_EQ(info.XResolution.Whole, info.YResolution.Whole);
    EXPECT_EQ(Image(DAT_IMAGEINFO, MSG_SET, &info), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_BADPROTOCOL);
}

TEST_F(DsTransfer, ImageLayoutReportsTheAreaAndIgnoresSet) {
    Reach(400);
    CScanArea area;
    area.left = 150;
    area.top = 300;
    area.width = 600;
    area.height = 450;
    area.resolution = 300;
    Source().MainDlg().SetScanArea(area);
    for (TW_UINT16 msg : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT}) {
        TW_IMAGELAYOUT layout{};
        ASSERT_EQ(Image(DAT_IMAGELAYOUT, msg, &layout), TWRC_SUCCESS);
        EXPECT_EQ(layout.Frame.Left.Whole, 0);
        EXPECT_EQ(layout.Frame.Left.Frac, 0x8000);
        EXPECT_EQ(layout.Frame.Top.Whole, 1);
        EXPECT_EQ(layout.Frame.Right.Whole, 2);
        EXPECT_EQ(layout.Frame.Right.Frac, 0x8000);
        EXPECT_EQ(layout.Frame.Bottom.Whole, 2);
        EXPECT_EQ(layout.Frame.Bottom.Frac, 0x8000);
        EXPECT_EQ(layout.DocumentNumber, 1u);
        EXPECT_EQ(layout.PageNumber, 1u);
        EXPECT_EQ(layout.FrameNumber, 1u);
    }
    TW_IMAGELAYOUT set{};
    set.Frame.Right.Whole = 5;
    EXPECT_EQ(Image(DAT_IMAGELAYOUT, MSG_SET, &set), TWRC_SUCCESS);
    TW_IMAGELAYOUT after{};
    ASSERT_EQ(Image(DAT_IMAGELAYOUT, MSG_GET, &after), TWRC_SUCCESS);
    EXPECT_EQ(after.Frame.Right.Whole, 2) << "SET changes nothing";
    EXPECT_EQ(Image(DAT_IMAGELAYOUT, MSG_RESET, &after), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_BADPROTOCOL);
}

TEST_F(DsTransfer, SetupFileXferStoresNamesAndRefusesAMissingFolder) {
    Reach(400);
    TW_SETUPFILEXFER setup{};
    ASSERT_EQ(Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_GETDEFAULT, &setup), TWRC_SUCCESS);
    const std::string defaultName = setup.FileName;
    EXPECT_EQ(defaultName, TempName("CV4410.bmp"));
    EXPECT_EQ(setup.Format, TWFF_BMP);

    EXPECT_EQ(SetFile(TempName("no such folder\\page.bmp")), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_BADVALUE);

    const std::string name = TempName("corv file setup.bmp");
    ::DeleteFileA(name.c_str());
    ASSERT_EQ(SetFile(name), TWRC_SUCCESS);
    EXPECT_TRUE(Exists(name)) << "the file is created to prove the folder";
    // Only BMP is written: a TIFF is refused, and neither its name nor its
    // format is kept.
    const std::string tiff = TempName("corv file setup.tiff");
    ::DeleteFileA(tiff.c_str());
    EXPECT_EQ(SetFile(tiff, TWFF_TIFF), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_BADVALUE);
    EXPECT_FALSE(Exists(tiff));
    TW_SETUPFILEXFER got{};
    ASSERT_EQ(Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_GET, &got), TWRC_SUCCESS);
    EXPECT_EQ(std::string(got.FileName), name);
    EXPECT_EQ(got.Format, TWFF_BMP);
    ASSERT_EQ(Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_RESET, &got), TWRC_SUCCESS);
    EXPECT_EQ(std::string(got.FileName), defaultName);
    EXPECT_EQ(Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_GETFIRST, &got), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_BADPROTOCOL);
    ::DeleteFileA(name.c_str());
}

TEST_F(DsTransfer, FileTransferWritesABmpThatMatchesTheNativeDib) {
    Page(5, 3, 24);
    Reach(600);
    const std::string name = TempName("corv file xfer.bmp");
    ASSERT_EQ(SetFile(name), TWRC_SUCCESS);
    ASSERT_EQ(Image(DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_XFERDONE);
    EXPECT_EQ(State(), 700u);
    const std::vector<uint8_t> file = FileBytes(name);
    ASSERT_EQ(file.size(), 54u + 3 * 16);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[10], 54);
    for (int g = 0; g < 3; ++g) {
        const uint8_t *row = file.data() + 54 + (2 - g) * 16;
        const uint8_t *src = m_job.page.data() + g * 15;
        for (int i = 0; i < 15; i += 3) {
            EXPECT_EQ(row[i], src[i + 2]);
            EXPECT_EQ(row[i + 1], src[i + 1]);
            EXPECT_EQ(row[i + 2], src[i]);
        }
    }
    ::DeleteFileA(name.c_str());
}

TEST_F(DsTransfer, FileTransferOutcomesLeaveNoFileBehind) {
    struct Case {
        int32_t result;
        TW_UINT16 rc, cc;
        TW_UINT32 state;
        int boxes;
    };
    const Case cases[] = {
        {1, TWRC_CANCEL, TWCC_SUCCESS, 500, 0},
        {4, TWRC_FAILURE, TWCC_OPERATIONERROR, 700, 1},
    };
    const std::string name = TempName("corv failed xfer.bmp");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.result);
        m_job = CFakeScanJob::Script{};
        Page(100, 50, 8);
        m_job.failAt = 2000;
        m_job.failResult = c.result;
        Reach(600);
        ASSERT_EQ(SetFile(name), TWRC_SUCCESS);
        EXPECT_EQ(Image(DAT_IMAGEFILEXFER, MSG_GET, nullptr), c.rc);
        if (c.rc == TWRC_FAILURE) {
            EXPECT_EQ(Status(), c.cc);
        }
        EXPECT_EQ(State(), c.state);
        EXPECT_EQ(m_job.errorsShown, c.boxes);
        EXPECT_FALSE(Exists(name));
        ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &m_app), TWRC_SUCCESS);
    }
}

TEST_F(DsTransfer, FileThatCannotBeWrittenFailsInState6) {
    Page(10, 10, 8);
    Reach(600);
    // The name was fine when set up; by the transfer a folder has taken it.
    const std::string name = TempName("corv taken name.bmp");
    ASSERT_EQ(SetFile(name), TWRC_SUCCESS);
    ASSERT_TRUE(::DeleteFileA(name.c_str()));
    ASSERT_TRUE(::CreateDirectoryA(name.c_str(), nullptr));
    EXPECT_EQ(Image(DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_OPERATIONERROR);
    EXPECT_EQ(State(), 600u);
    EXPECT_TRUE(::RemoveDirectoryA(name.c_str())) << "the folder is not the transfer's to delete";
    // Nothing of the page was read: it still goes to a file that can be written.
    ASSERT_EQ(SetFile(name), TWRC_SUCCESS);
    EXPECT_EQ(Image(DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_XFERDONE);
    EXPECT_EQ(FileBytes(name).size(), 54u + 1024u + 12u * 10u);
    ::DeleteFileA(name.c_str());
}

// A held prescan image: a 4 x 3 grey DIB stored as the preview keeps it.
class DsHeldImage : public DsTransfer {
protected:
    HGLOBAL MakeHeld() {
        const uint32_t stride = 4, colours = 256;
        HGLOBAL h = ::GlobalAlloc(GHND, 40 + 4 * colours + stride * 3);
        CGlobalLock<uint8_t> p(h);
        auto *bi = reinterpret_cast<BITMAPINFOHEADER *>(p.Get());
        bi->biSize = 40;
        bi->biWidth = 4;
        bi->biHeight = 3;
        bi->biPlanes = 1;
        bi->biBitCount = 8;
        uint8_t *bits = p.Get() + 40 + 4 * colours;
        for (int r = 0; r < 3; ++r)
            for (int x = 0; x < 4; ++x)
                bits[r * stride + x] = static_cast<uint8_t>(r * 16 + x);
        return h;
    }
};

TEST_F(DsHeldImage, MemoryTransferTakesOneStoredRowPerBlockAndStartsOver) {
    Page(0, 0, 8);
    m_job.page.clear();
    Reach(600);
    Source().MainDlg().SetHeldImage(MakeHeld());
    for (int pass = 0; pass < 2; ++pass) {
        std::vector<uint8_t> buffer(8);
        for (uint32_t r = 0; r < 3; ++r) {
            TW_IMAGEMEMXFER block;
            ASSERT_EQ(Mem(buffer, block), r == 2 ? TWRC_XFERDONE : TWRC_SUCCESS);
            EXPECT_EQ(block.YOffset, r);
            EXPECT_EQ(block.BytesPerRow, 4u);
            EXPECT_EQ(block.Columns, 4u);
            // Bottom-up: the top of the picture is the last stored row.
            EXPECT_EQ(buffer[0], (2 - r) * 16);
            EXPECT_EQ(buffer[3], (2 - r) * 16 + 3);
        }
        TW_PENDINGXFERS pending{};
        ASSERT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
        EXPECT_EQ(State(), 500u);
        EXPECT_EQ(m_job.destroyed, 0) << "a platen job stays while the image is held";
        Click(IDOK);
        ASSERT_EQ(State(), 600u);
    }
}

TEST_F(DsHeldImage, NativeTransferOfTheHeldImageAndSmallBuffersRefused) {
    Page(0, 0, 8);
    m_job.page.clear();
    Reach(600);
    Source().MainDlg().SetHeldImage(MakeHeld());
    TW_SETUPMEMXFER setup{};
    TW_IMAGEINFO info{};
    ASSERT_EQ(Image(DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
    EXPECT_EQ(info.ImageWidth, 4);
    EXPECT_EQ(info.ImageLength, 3);
    std::vector<uint8_t> tiny(3);
    TW_IMAGEMEMXFER block;
    EXPECT_EQ(Mem(tiny, block), TWRC_FAILURE) << "a row does not fit";
    EXPECT_EQ(Status(), TWCC_OPERATIONERROR);
    ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &m_app), TWRC_SUCCESS);

    m_job = CFakeScanJob::Script{};
    Page(0, 0, 8);
    m_job.page.clear();
    Reach(600);
    Source().MainDlg().SetHeldImage(MakeHeld());
    ASSERT_EQ(Call(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup), TWRC_SUCCESS);
    EXPECT_EQ(setup.MinBufSize, 4u);
    EXPECT_EQ(setup.MaxBufSize, 4u);
    HGLOBAL dib = nullptr;
    ASSERT_EQ(Native(dib), TWRC_XFERDONE);
    CGlobalMem owned(dib);
    CGlobalLock<uint8_t> p(dib);
    const uint8_t *bits = p.Get() + 40 + 1024;
    // The picture comes back the right way up: the same rows in the same
    // stored order as the held image.
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(bits[r * 4], r * 16);
}

}  // namespace
