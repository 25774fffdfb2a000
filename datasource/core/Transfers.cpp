#include "Transfers.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "Containers.h"
#include "DataSource.h"
#include "DibLayout.h"
#include "DiagLog.h"
#include "MemXferBlock.h"
#include "ServerMessages.h"
#include "TwainSrcApp.h"

namespace {

// Logs the handler's fixed text and fails with the condition code.
TW_UINT16 FailLogged(TW_UINT16 cc, const char *text) {
    WriteLog("%s", text);
    return TheApp().Fail(cc);
}

TW_FIX32 PixelsToInches(int32_t pixels, int32_t dpi) {
    return ToFix32(dpi > 0 ? static_cast<double>(pixels) / dpi : 0.0);
}

// Copies a name into a TW_STR255 field, always terminated.
void CopyName(TW_STR255 &out, const std::string &name) {
    const size_t n = std::min(name.size(), sizeof(TW_STR255) - 1);
    std::memcpy(out, name.data(), n);
    std::memset(out + n, 0, sizeof(TW_STR255) - n);
}

// A file opened for writing; empty when it cannot be.
CAutoFile OpenForWriting(const std::string &name, DWORD disposition) {
    return CAutoFile(::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool WriteAt(HANDLE file, uint64_t offset, const void *data, uint32_t bytes) {
    LARGE_INTEGER pos;
    pos.QuadPart = static_cast<LONGLONG>(offset);
    DWORD written = 0;
    return ::SetFilePointerEx(file, pos, nullptr, FILE_BEGIN) &&
           ::WriteFile(file, data, bytes, &written, nullptr) && written == bytes;
}

std::optional<CDibLayout> LayoutOf(const CXferPage &page) {
    return CDibLayout::Create(page.pixelWidth, page.pixelHeight, page.bitsPerPixel,
                              page.resolution);
}

}  // namespace

// ---- What a transfer delivers ---------------------------------------------------

std::optional<CHeldImage> CTransfers::HeldImage() const {
    HGLOBAL held = m_source.MainDlg().HeldImage();
    if (!held)
        return std::nullopt;
    // Only the image's sizes are taken from this view: the block is movable
    // and unlocked when this returns, so rows are read under a lock of their own.
    CGlobalLock<uint8_t> block(held);
    if (!block)
        return std::nullopt;
    return CHeldImage::Parse(block.Get(), ::GlobalSize(held));
}

CTransfers::CPageView CTransfers::View() const {
    CPageView v;
    if (IScanJob *job = m_source.Job())
        v.page = job->Page();
    v.rowBytes = v.page.bytesPerRow;
    if (const auto image = HeldImage()) {
        v.held = true;
        if (!m_source.Job())
            v.page.bitsPerPixel = image->BitCount();
        const CHeldArea area =
            image->Area(v.page.pixelWidth, v.page.pixelHeight, v.page.bitsPerPixel,
                        v.page.leftOffset, v.page.topOffset);
        v.page.pixelWidth = area.width;
        v.page.pixelHeight = area.height;
        v.rowBytes = area.exactRow;
    }
    return v;
}

bool CTransfers::ReadPage(IScanJob &job, char *buffer, uint32_t &size) {
    HGLOBAL held = m_source.MainDlg().HeldImage();
    return held ? ReadHeldRow(job, held, buffer, size) : job.Read(buffer, size);
}

uint32_t CTransfers::ReadFully(IScanJob &job, char *buffer, uint32_t want, bool &end) {
    uint32_t filled = 0;
    end = false;
    while (filled < want && !end) {
        uint32_t size = want - filled;
        end = ReadPage(job, buffer + filled, size);
        filled += size;
        if (size == 0 || job.Result() != JOB_OK)
            break;
    }
    return filled;
}

bool CTransfers::ReadHeldRow(IScanJob &job, HGLOBAL held, char *buffer, uint32_t &size) {
    const uint32_t room = size;
    size = 0;
    if (job.Result() != JOB_OK)
        return true;
    CGlobalLock<uint8_t> block(held);
    const auto image = block ? CHeldImage::Parse(block.Get(), ::GlobalSize(held)) : std::nullopt;
    if (!image)
        throw CTwainFailure{TWCC_OPERATIONERROR};
    const CXferPage page = job.Page();
    const int bits = page.bitsPerPixel;
    const CHeldArea area =
        image->Area(page.pixelWidth, page.pixelHeight, bits, page.leftOffset, page.topOffset);
    const int32_t left = std::max(page.leftOffset, 0);
    const uint32_t skip = static_cast<uint32_t>(bits == 1 ? left / 8 : bits / 8 * left);
    // A buffer below one row, or an area reaching past the image, cannot be
    // served: refused rather than written past either end.
    if (room < area.exactRow || area.exactRow == 0 || area.height <= 0 ||
        !image->CopyRow(int64_t{std::max(page.topOffset, 0)} + page.rowsDelivered, skip,
                        area.exactRow, reinterpret_cast<uint8_t *>(buffer)))
        throw CTwainFailure{TWCC_OPERATIONERROR};
    size = area.exactRow;
    const uint32_t rows = page.rowsDelivered + 1;
    // Complete: the count starts over so the same image can be transferred again.
    const bool complete = rows >= static_cast<uint32_t>(area.height);
    job.SetRowsDelivered(complete ? 0 : rows);
    return complete;
}

void CTransfers::KeepOrEndAfterCancel() {
    IScanJob *job = m_source.Job();
    if (job && job->IsPlaten() && m_source.MainDlg().HasHeldImage()) {
        job->ResetResult();
        job->CloseProgressDialog();
    } else {
        m_source.EndJob();
    }
}

// ---- Image information and layout ------------------------------------------------

TW_UINT16 CTransfers::OnImageInfo(const TwainTriplet &t) {
    const TW_UINT32 state = m_source.State();
    if (state < STATE6 || state > STATE7)
        return FailLogged(TWCC_SEQERROR, "CDataSource::OnImageInfo(), 1.");
    // A held image bounds its own cut; the server announced no page for it.
    if (!m_source.MainDlg().HasHeldImage()) {
        if (IScanJob *job = m_source.EnsureJob())
            job->ClipToModulePageSize();
    }
    if (t.MSG != MSG_GET)
        return FailLogged(TWCC_BADPROTOCOL, "CDataSource::OnImageInfo(), 2.");
    auto *info = reinterpret_cast<pTW_IMAGEINFO>(t.pData);
    if (!info)
        return TheApp().Fail(TWCC_BADVALUE);
    const CPageView v = View();
    CDSCaps &caps = m_source.Caps();
    const TW_FIX32 dpi = ToFix32(caps.XResolution());
    *info = TW_IMAGEINFO{};
    info->XResolution = dpi;
    info->YResolution = dpi;
    info->ImageWidth = v.page.pixelWidth;
    info->ImageLength = v.page.pixelHeight;
    info->PixelType = static_cast<TW_INT16>(caps.PixelType());
    info->BitsPerPixel = static_cast<TW_INT16>(caps.BitDepthFor(caps.PixelType()));
    info->Planar = caps.IsPlanar() ? TRUE : FALSE;
    info->Compression = TWCP_NONE;
    if (info->BitsPerPixel < 24) {
        info->SamplesPerPixel = 1;
        info->BitsPerSample[0] = info->BitsPerPixel;
    } else {
        info->SamplesPerPixel = 3;
        info->BitsPerSample[0] = info->BitsPerSample[1] = info->BitsPerSample[2] = 8;
    }
    return TWRC_SUCCESS;
}

TW_UINT16 CTransfers::OnImageLayout(const TwainTriplet &t) {
    auto *layout = reinterpret_cast<pTW_IMAGELAYOUT>(t.pData);
    switch (t.MSG) {
        case MSG_GET:
        case MSG_GETCURRENT:
        case MSG_GETDEFAULT: {
            if (!layout)
                return TheApp().Fail(TWCC_BADVALUE);
            const CScanArea area = m_source.MainDlg().ScanArea();
            layout->Frame.Left = PixelsToInches(area.left, area.resolution);
            layout->Frame.Top = PixelsToInches(area.top, area.resolution);
            layout->Frame.Right = PixelsToInches(area.left + area.width, area.resolution);
            layout->Frame.Bottom = PixelsToInches(area.top + area.height, area.resolution);
            layout->DocumentNumber = layout->PageNumber = layout->FrameNumber = 1;
            return TWRC_SUCCESS;
        }
        case MSG_SET:
            // The frame follows the preview's selection only; an application
            // cannot move it, but is not told off for trying.
            WriteLog("CDataSource::OnImageLayout(), pTWMsg->MSG=[%d].", t.MSG);
            return TWRC_SUCCESS;
        default:
            return FailLogged(TWCC_BADPROTOCOL, "CDataSource::OnImageLayout(), 1.");
    }
}

// ---- Transfer set-up ----------------------------------------------------------------

TW_UINT16 CTransfers::OnSetupMemXfer(const TwainTriplet &t) {
    if (m_source.State() > STATE6)
        return TheApp().Fail(TWCC_SEQERROR);
    if (t.MSG != MSG_GET)
        return TheApp().Fail(TWCC_BADPROTOCOL);
    auto *setup = reinterpret_cast<pTW_SETUPMEMXFER>(t.pData);
    if (!setup)
        return TheApp().Fail(TWCC_BADVALUE);
    const CPageView v = View();
    const CMemXferSetup s = CMemXferSetup::For(v.held ? v.rowBytes : 0, v.page.bytesPerRow);
    setup->MinBufSize = s.minBufSize;
    setup->MaxBufSize = s.maxBufSize;
    setup->Preferred = s.preferred;
    if (!v.held)
        WriteLog("MinBufSize = %d, MaxBufSize = %d, Preferred = %d", static_cast<int>(s.minBufSize),
                 static_cast<int>(s.maxBufSize), static_cast<int>(s.preferred));
    return TWRC_SUCCESS;
}

TW_UINT16 CTransfers::OnSetupFileXfer(const TwainTriplet &t) {
    if (m_source.State() > STATE6)
        return TheApp().Fail(TWCC_SEQERROR);
    auto *setup = reinterpret_cast<pTW_SETUPFILEXFER>(t.pData);
    if (t.MSG < MSG_GET || t.MSG > MSG_RESET || t.MSG == MSG_GETFIRST || t.MSG == MSG_GETNEXT)
        return TheApp().Fail(TWCC_BADPROTOCOL);
    if (!setup)
        return TheApp().Fail(TWCC_BADVALUE);
    switch (t.MSG) {
        case MSG_GETDEFAULT:
            CopyName(setup->FileName, m_source.DefaultXferFileName());
            setup->Format = TWFF_BMP;
            setup->VRefNum = 0;
            return TWRC_SUCCESS;
        case MSG_SET: {
            // Only BMP is written: a promised TIFF that arrives as a BMP opens
            // in no TIFF reader, so any other format is refused before anything
            // is stored or created.
            if (setup->Format != TWFF_BMP)
                return TheApp().Fail(TWCC_BADVALUE);
            const std::string name(setup->FileName,
                                   strnlen(setup->FileName, sizeof(TW_STR255) - 1));
            // The file must be creatable now, so a bad folder is refused before
            // any page is scanned; an existing file keeps its contents for now.
            if (!OpenForWriting(name, OPEN_ALWAYS))
                return TheApp().Fail(TWCC_BADVALUE);
            m_source.SetXferFile(name, setup->Format);
            return TWRC_SUCCESS;
        }
        case MSG_RESET:
            m_source.SetXferFile(m_source.DefaultXferFileName(), TWFF_BMP);
            [[fallthrough]];
        default:
            CopyName(setup->FileName, m_source.XferFileName());
            setup->Format = m_source.XferFileFormat();
            setup->VRefNum = 0;
            return TWRC_SUCCESS;
    }
}

// ---- Memory transfer -------------------------------------------------------------------

TW_UINT16 CTransfers::OnImageMemXfer(const TwainTriplet &t) {
    if (m_source.State() < STATE6)
        return FailLogged(TWCC_SEQERROR, "CDataSource::OnImageMemXfer(), 1.");
    if (t.MSG != MSG_GET)
        return FailLogged(TWCC_BADPROTOCOL, "CDataSource::OnImageMemXfer(), 2.");
    auto *block = reinterpret_cast<pTW_IMAGEMEMXFER>(t.pData);
    if (!block || !block->Memory.TheMem || block->Memory.Length == 0)
        return TheApp().Fail(TWCC_BADVALUE);
    const bool held = m_source.MainDlg().HasHeldImage();
    if (held)
        m_source.EnsureJob();
    const bool state6 = m_source.State() == STATE6;
    WriteLog("CDataSource::OnImageMemXfer(), (m_State == STATE6) = \"%s\".",
             state6 ? "TRUE" : "FALSE");
    IScanJob *job = m_source.Job();
    if (!job)
        return FailLogged(TWCC_OPERATIONERROR, "CDataSource::OnImageMemXfer(), no job.");
    // A feeder job opens the image of its next sheet here. Asked of every
    // feeder page, not only from the second sheet on: after a page that
    // failed midway the job waits before its next sheet even on sheet one,
    // and advancing an image already open changes nothing.
    if (state6 && !job->IsPlaten() && job->Advance() != JOB_OK) {
        // The next sheet's image could not be opened; a server failure has
        // its box like any other.
        if (job->Result() != JOB_CANCELLED)
            job->ShowErrorMessage();
        return FailLogged(TWCC_OPERATIONERROR, "CDataSource::OnImageMemXfer(), 3.");
    }

    const CPageView v = View();
    CMemXferBlock b =
        v.held ? CMemXferBlock::HeldRow(v.rowBytes, v.page.pixelWidth, v.page.rowsDelivered)
               : CMemXferBlock::ServerPage(v.page.bytesPerRow, v.page.bitsPerPixel,
                                           v.page.pixelWidth, v.page.bytesReceived);
    // A handle from the application is locked for the read; a pointer is used as it is.
    const bool isHandle = (block->Memory.Flags & TWMF_HANDLE) != 0;
    CGlobalLock<char> locked(isHandle ? static_cast<HGLOBAL>(block->Memory.TheMem) : nullptr);
    char *dest = isHandle ? locked.Get() : static_cast<char *>(block->Memory.TheMem);
    if (!dest)
        return TheApp().Fail(TWCC_BADVALUE);
    // A held image gives one stored row a block, as its buffer sizes say
    // (and refuses a buffer too small for it).
    const uint32_t room = block->Memory.Length;
    const uint32_t want = v.held ? std::min(room, v.rowBytes)
                                 : CMemXferBlock::Fill(room, v.rowBytes, v.page.bytesReceived);
    uint32_t size = 0;
    bool end = false;
    try {
        size = ReadFully(*job, dest, want, end);
    } catch (const CTwainFailure &) {
        return FailLogged(TWCC_OPERATIONERROR, "CDataSource::OnImageMemXfer(), 4.");
    }
    b.Delivered(size, v.page.bitsPerPixel);
    block->Compression = TWCP_NONE;
    block->BytesPerRow = b.bytesPerRow;
    block->Columns = b.columns;
    block->Rows = b.rows;
    block->XOffset = b.xOffset;
    block->YOffset = b.yOffset;
    block->BytesWritten = b.bytesWritten;
    m_source.SetState(STATE7);

    const int32_t result = job->Result();
    if (result == JOB_CANCELLED) {
        KeepOrEndAfterCancel();
        return TWRC_CANCEL;
    }
    if (result == JOB_OK)
        return end ? TWRC_XFERDONE : TWRC_SUCCESS;
    job->ShowErrorMessage();
    m_source.MainDlg().RefreshState();
    return FailLogged(TWCC_OPERATIONERROR, "CDataSource::OnImageMemXfer(), 5.");
}

// ---- Native and file transfers ----------------------------------------------------------

template <typename Store>
bool CTransfers::ReadRows(IScanJob &job, const CPageView &view, const CDibLayout &dib,
                          Store store) {
    // Whole server rows are read, however the server pads them; each DIB row
    // takes the pixels and as much padding as its own stride has room for.
    const uint32_t rowBytes = view.rowBytes != 0 ? view.rowBytes : dib.Stride();
    std::vector<char> row(rowBytes);
    for (int32_t g = 0; g < dib.Height(); ++g) {
        bool end = false;
        const uint32_t filled = ReadFully(job, row.data(), rowBytes, end);
        if (job.Result() != JOB_OK)
            return false;
        if (filled < rowBytes && !end)
            return false;  // a stream that stopped delivering without saying so
        if (!store(g, reinterpret_cast<const uint8_t *>(row.data()),
                   std::min(filled, dib.Stride())))
            return false;
        if (end)
            break;
    }
    return job.Result() == JOB_OK;
}

HGLOBAL CTransfers::BuildDib(IScanJob &job, const CPageView &view, bool serverOrder) {
    const auto dib = LayoutOf(view.page);
    CGlobalMem mem(dib ? ::GlobalAlloc(GHND, dib->PackedBytes()) : nullptr);
    if (!mem) {
        // A page too big to hand over in one block: the user is told, rather
        // than the scan ending as if cancelled.
        job.SetResult(JOB_NO_MEMORY);
        return nullptr;
    }
    {
        CGlobalLock<uint8_t> p(mem.Get());
        if (!p)
            return nullptr;
        dib->WriteInfoHeader(p.Get(), CDibLayout::PpmRounding::Truncate);
        uint8_t *bits = p.Get() + dib->BitsOffset();
        const auto store = [&](int32_t g, const uint8_t *row, uint32_t bytes) {
            if (serverOrder)
                std::memcpy(bits + dib->RowOffset(g), row, bytes);
            else
                dib->StoreRow(bits + dib->RowOffset(g), row, bytes);
            return true;
        };
        if (!ReadRows(job, view, *dib, store))
            return nullptr;
    }
    return mem.Release();
}

TW_UINT16 CTransfers::OnImageNativeXfer(const TwainTriplet &t) {
    if (m_source.State() != STATE6)
        return FailLogged(TWCC_SEQERROR, "CDataSource::OnImageNativeXfer(), 1.");
    if (t.MSG != MSG_GET)
        return FailLogged(TWCC_BADPROTOCOL, "CDataSource::OnImageNativeXfer(), 2.");
    if (!t.pData)
        return TheApp().Fail(TWCC_BADVALUE);
    IScanJob *job = m_source.EnsureJob();
    HGLOBAL dib = nullptr;
    if (job) {
        bool readFailed = false;
        if (job->Advance() == JOB_OK) {
            try {
                dib = BuildDib(*job, View());
            } catch (const CTwainFailure &) {
                readFailed = true;
            }
        }
        // No DIB comes back from a failed or cancelled read.
        const int32_t result = job->Result();
        if (result != JOB_OK || readFailed) {
            if (result != JOB_CANCELLED && result != JOB_OK)
                job->ShowErrorMessage();
            job->AbandonImage();
        }
    }
    if (!dib) {
        // Whatever went wrong, the application hears of a cancel and the
        // server's job is ended.
        m_source.EndJob();
        WriteLog("CDataSource::OnImageNativeXfer(), 3.");
        return TWRC_CANCEL;
    }
    *reinterpret_cast<TW_HANDLE *>(t.pData) = dib;
    m_source.SetState(STATE7);
    return TWRC_XFERDONE;
}

HGLOBAL CTransfers::ReadPrescanImage(IScanJob &job) {
    HGLOBAL dib = nullptr;
    if (job.Advance() == JOB_OK) {
        try {
            dib = BuildDib(job, View(), true);
        } catch (const CTwainFailure &) {
            job.SetResult(JOB_COMM_ERROR);
        }
    }
    const int32_t result = job.Result();
    if (dib && result == JOB_OK) {
        job.FinishPage();
        return dib;
    }
    CGlobalMem discard(dib);
    if (result != JOB_CANCELLED && result != JOB_OK)
        job.ShowErrorMessage();
    job.AbandonImage();
    return nullptr;
}

void CTransfers::WriteBmpFile(IScanJob &job, HANDLE file) {
    if (job.Advance() != JOB_OK)
        return;
    const CPageView view = View();
    const auto dib = LayoutOf(view.page);
    if (!dib) {
        job.SetResult(JOB_FILE_ERROR);
        return;
    }
    std::vector<uint8_t> head(CDibLayout::kFileHeaderBytes + dib->BitsOffset());
    dib->WriteFileHeader(head.data());
    dib->WriteInfoHeader(head.data() + CDibLayout::kFileHeaderBytes,
                         CDibLayout::PpmRounding::Nearest);
    if (!WriteAt(file, 0, head.data(), static_cast<uint32_t>(head.size()))) {
        job.SetResult(JOB_FILE_ERROR);
        return;
    }
    const uint64_t bitsStart = head.size();
    std::vector<uint8_t> out(dib->Stride());
    const auto store = [&](int32_t g, const uint8_t *row, uint32_t bytes) {
        dib->StoreRow(out.data(), row, bytes);
        if (WriteAt(file, bitsStart + dib->RowOffset(g), out.data(), dib->Stride()))
            return true;
        job.SetResult(JOB_FILE_ERROR);
        return false;
    };
    // A page that stopped short without the job saying why must not pass
    // for a whole file.
    if (!ReadRows(job, view, *dib, store) && job.Result() == JOB_OK)
        job.SetResult(JOB_FILE_ERROR);
}

TW_UINT16 CTransfers::OnImageFileXfer(const TwainTriplet &t) {
    if (m_source.State() != STATE6)
        return FailLogged(TWCC_SEQERROR, "CDataSource::OnImageFileXfer(), 1.");
    if (t.MSG != MSG_GET)
        return FailLogged(TWCC_BADPROTOCOL, "CDataSource::OnImageFileXfer(), 2.");
    IScanJob *job = m_source.EnsureJob();
    if (!job)
        return FailLogged(TWCC_OPERATIONERROR, "CDataSource::OnImageFileXfer(), no job.");
    const std::string name = m_source.XferFileName();
    {
        CAutoFile file = OpenForWriting(name, CREATE_ALWAYS);
        // Nothing of the page was read: it is still whole on the server for
        // a transfer to a file that can be written.
        if (!file)
            return FailLogged(TWCC_OPERATIONERROR,
                              "CDataSource::OnImageFileXfer(), file not opened.");
        try {
            WriteBmpFile(*job, file.Get());
        } catch (const CTwainFailure &) {
            job->SetResult(JOB_FILE_ERROR);
        }
    }
    const int32_t result = job->Result();
    if (result != JOB_OK)
        ::DeleteFileA(name.c_str());
    if (result == JOB_FILE_ERROR)
        return FailLogged(TWCC_OPERATIONERROR, "CDataSource::OnImageFileXfer(), 3.");
    m_source.SetState(STATE7);
    if (result == JOB_CANCELLED) {
        KeepOrEndAfterCancel();
        WriteLog("CDataSource::OnImageFileXfer(), 4.");
        return TWRC_CANCEL;
    }
    if (result == JOB_OK)
        return TWRC_XFERDONE;
    // The user hears of a server failure here as with the other transfers.
    job->ShowErrorMessage();
    m_source.MainDlg().RefreshState();
    return FailLogged(TWCC_OPERATIONERROR, "CDataSource::OnImageFileXfer(), 5.");
}
