#include "TwainTestClient.h"
#include "WineDsm.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <fstream>
#include <iterator>

namespace {

constexpr const wchar_t *kMainDialogCaption = L"Corvane QM スキャン";
// A source that keeps answering empty memory blocks would hold the loop forever.
constexpr int kMaxEmptyBlocks = 1000;

std::wstring ProgramDir() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir = path;
    return dir.substr(0, dir.find_last_of(L'\\'));
}

struct SDialogSearch {
    HWND owner;
    HWND found;
};

// The source's main dialog: owned by the window the application passed
// as hParent, with the product's caption.
BOOL CALLBACK MatchOwnedDialog(HWND window, LPARAM param) {
    auto *s = reinterpret_cast<SDialogSearch *>(param);
    wchar_t caption[64] = {}, cls[16] = {};
    ::GetWindowTextW(window, caption, 64);
    ::GetClassNameW(window, cls, 16);
    if (::GetWindow(window, GW_OWNER) == s->owner && std::wcscmp(cls, L"#32770") == 0 &&
        std::wcscmp(caption, kMainDialogCaption) == 0) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindOwnedDialog(HWND owner) {
    SDialogSearch search{owner, nullptr};
    ::EnumWindows(MatchOwnedDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string ReadWholeFile(const std::string &name) {
    std::ifstream file(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool IsSourceMessage(TW_UINT16 msg) {
    return msg == MSG_XFERREADY || msg == MSG_CLOSEDSREQ || msg == MSG_CLOSEDSOK;
}

}  // namespace

CTwainTestClient::CTwainTestClient() {
    m_parent = ::CreateWindowW(L"STATIC", L"corv twain test application", WS_OVERLAPPEDWINDOW, 0, 0,
                               300, 200, nullptr, nullptr, nullptr, nullptr);
    m_app.Version.MajorNum = 1;
    m_app.Version.Language = TWLG_USA;
    m_app.Version.Country = TWCY_USA;
    m_app.ProtocolMajor = 1;
    m_app.ProtocolMinor = 8;
    m_app.SupportedGroups = DG_CONTROL | DG_IMAGE;
    std::strcpy(m_app.Manufacturer, "corv tests");
    std::strcpy(m_app.ProductFamily, "corv tests");
    std::strcpy(m_app.ProductName, "twain test client");
}

CTwainTestClient::~CTwainTestClient() {
    Disable();
    CloseSource();
    CloseManager();
    if (m_dsm)
        ::FreeLibrary(m_dsm);
    if (m_parent)
        ::DestroyWindow(m_parent);
}

std::wstring CTwainTestClient::InstalledSourcePath() {
    return WineSourceFolder() + L"\\sane.ds";
}

bool CTwainTestClient::InstallSource() {
    static bool installed = false;
    if (!installed) {
        ::CreateDirectoryW(WineSourceFolder().c_str(), nullptr);
        installed = ::CopyFileW((ProgramDir() + L"\\corvsrc.ds").c_str(),
                                InstalledSourcePath().c_str(), FALSE);
    }
    return installed;
}

TW_UINT16 CTwainTestClient::ToManager(TW_UINT16 dat, TW_UINT16 msg, void *data) {
    if (!m_entry)
        return TWRC_FAILURE;
    return m_entry(&m_app, nullptr, DG_CONTROL, dat, msg, static_cast<TW_MEMREF>(data));
}

TW_UINT16 CTwainTestClient::Control(TW_UINT16 dat, TW_UINT16 msg, void *data) {
    if (!m_entry)
        return TWRC_FAILURE;
    return m_entry(&m_app, &m_source, DG_CONTROL, dat, msg, static_cast<TW_MEMREF>(data));
}

TW_UINT16 CTwainTestClient::Image(TW_UINT16 dat, TW_UINT16 msg, void *data) {
    if (!m_entry)
        return TWRC_FAILURE;
    return m_entry(&m_app, &m_source, DG_IMAGE, dat, msg, static_cast<TW_MEMREF>(data));
}

TW_UINT16 CTwainTestClient::ConditionCode() {
    TW_STATUS status{};
    if (Control(DAT_STATUS, MSG_GET, &status) != TWRC_SUCCESS)
        return 0xffff;
    return status.ConditionCode;
}

bool CTwainTestClient::OpenManager() {
    if (!InstallSource())
        return false;
    m_dsm = ::LoadLibraryW(WineDsmPath().c_str());
    if (!m_dsm)
        return false;
    m_entry = reinterpret_cast<DSMENTRYPROC>(
        reinterpret_cast<void (*)()>(::GetProcAddress(m_dsm, "DSM_Entry")));
    m_managerOpen = m_entry && ToManager(DAT_PARENT, MSG_OPENDSM, &m_parent) == TWRC_SUCCESS;
    return m_managerOpen;
}

bool CTwainTestClient::OpenSource(const char *productFamily) {
    bool found = false;
    for (TW_UINT16 rc = ToManager(DAT_IDENTITY, MSG_GETFIRST, &m_source);
         rc == TWRC_SUCCESS && !found;) {
        found = std::strcmp(m_source.ProductFamily, productFamily) == 0;
        if (!found)
            rc = ToManager(DAT_IDENTITY, MSG_GETNEXT, &m_source);
    }
    m_sourceOpen = found && ToManager(DAT_IDENTITY, MSG_OPENDS, &m_source) == TWRC_SUCCESS;
    return m_sourceOpen;
}

TW_UINT16 CTwainTestClient::SetXferMech(EXferMech mech) {
    TW_CAPABILITY cap{ICAP_XFERMECH, TWON_ONEVALUE, ::GlobalAlloc(GHND, sizeof(TW_ONEVALUE))};
    if (!cap.hContainer)
        return TWRC_FAILURE;
    auto *value = static_cast<TW_ONEVALUE *>(::GlobalLock(cap.hContainer));
    value->ItemType = TWTY_UINT16;
    value->Item = static_cast<TW_UINT32>(mech);
    ::GlobalUnlock(cap.hContainer);
    const TW_UINT16 rc = Control(DAT_CAPABILITY, MSG_SET, &cap);
    ::GlobalFree(cap.hContainer);
    return rc;
}

int CTwainTestClient::ProbeState() {
    TW_IMAGEINFO info{};
    if (Image(DAT_IMAGEINFO, MSG_GET, &info) != TWRC_SUCCESS)
        return ConditionCode() == TWCC_SEQERROR ? (m_enabled ? 5 : 4) : 0;
    TW_SETUPMEMXFER setup{};
    if (Control(DAT_SETUPMEMXFER, MSG_GET, &setup) == TWRC_SUCCESS)
        return 6;
    return ConditionCode() == TWCC_SEQERROR ? 7 : 0;
}

TW_UINT16 CTwainTestClient::Enable(TW_BOOL showUI) {
    TW_USERINTERFACE ui{showUI, FALSE, m_parent};
    const TW_UINT16 rc = Control(DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
    if (rc != TWRC_SUCCESS && rc != TWRC_CHECKSTATUS)
        return rc;
    m_enabled = true;
    m_mainDialog = FindOwnedDialog(m_parent);
    if (m_mainDialog)
        m_operator.IgnoreWindow(m_mainDialog);
    return rc;
}

void CTwainTestClient::PressScan() {
    ::PostMessageW(::GetDlgItem(m_mainDialog, IDOK), BM_CLICK, 0, 0);
}

void CTwainTestClient::PressClose() {
    ::PostMessageW(::GetDlgItem(m_mainDialog, IDCANCEL), BM_CLICK, 0, 0);
}

bool CTwainTestClient::ProcessEvent(MSG &msg, TW_UINT16 &twMessage) {
    twMessage = MSG_NULL;
    if (m_sourceOpen) {
        TW_EVENT event{reinterpret_cast<TW_MEMREF>(&msg), MSG_NULL};
        if (Control(DAT_EVENT, MSG_PROCESSEVENT, &event) == TWRC_DSEVENT) {
            twMessage = event.TWMessage;
            return true;
        }
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
    return false;
}

bool CTwainTestClient::PumpUntil(const std::function<bool()> &done, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return done();
        MSG msg{};
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
            continue;
        }
        TW_UINT16 twMessage = MSG_NULL;
        if (ProcessEvent(msg, twMessage) && IsSourceMessage(twMessage))
            m_pendingMessages.push_back(twMessage);
    }
    return true;
}

TW_UINT16 CTwainTestClient::WaitForSourceMessage(DWORD timeoutMs) {
    PumpUntil([this] { return !m_pendingMessages.empty(); }, timeoutMs);
    if (m_pendingMessages.empty())
        return MSG_NULL;
    const TW_UINT16 msg = m_pendingMessages.front();
    m_pendingMessages.erase(m_pendingMessages.begin());
    return msg;
}

SAcquisition CTwainTestClient::Acquire(const SAcquireOptions &options) {
    SAcquisition result;
    result.mechRc = SetXferMech(options.mech);
    result.enableRc = Enable(TRUE);
    result.dialogFound = m_mainDialog != nullptr;
    if (result.enableRc != TWRC_SUCCESS || !m_mainDialog)
        return result;
    PressScan();
    const TW_UINT16 msg = WaitForSourceMessage(options.scanTimeoutMs);
    if (msg == MSG_XFERREADY) {
        result.xferReady = true;
        TransferPages(options, result);
    } else if (msg == MSG_CLOSEDSREQ) {
        result.closeRequested = true;
        Disable();
        CloseSource();
    }
    return result;
}

void CTwainTestClient::TransferPages(const SAcquireOptions &options, SAcquisition &result) {
    TW_UINT32 bufferSize = options.memBufferSize;
    if (options.mech == EXferMech::Memory) {
        Control(DAT_SETUPMEMXFER, MSG_GET, &result.memSetup);
        if (bufferSize == 0)
            bufferSize = result.memSetup.Preferred;
    }
    for (int number = 1;; ++number) {
        STransferredPage page;
        page.infoRc = Image(DAT_IMAGEINFO, MSG_GET, &page.info);
        switch (options.mech) {
            case EXferMech::Native:
                ArmCancel(options);
                TransferNative(page);
                break;
            case EXferMech::Memory:
                TransferMemory(options, number, bufferSize, page);
                break;
            case EXferMech::File:
                TransferFile(options, number, page);
                break;
        }
        page.conditionCode = ConditionCode();
        page.stateAfter = ProbeState();
        if (options.onTransferred)
            options.onTransferred(number, page);
        const bool done = page.rc == TWRC_XFERDONE;
        page.pendingRc =
            PendingXfers(!done && options.resetAfterFailure ? MSG_RESET : MSG_ENDXFER, page);
        if (options.onPage)
            options.onPage(number, page);
        const bool more = page.pendingRc == TWRC_SUCCESS && page.pendingCount != 0;
        if (!options.onMemBytes)
            result.pages.push_back(std::move(page));
        if (!more)
            break;
    }
}

TW_UINT16 CTwainTestClient::PendingXfers(TW_UINT16 msg, STransferredPage &page) {
    TW_PENDINGXFERS pending{};
    const TW_UINT16 rc = Control(DAT_PENDINGXFERS, msg, &pending);
    page.pendingCount = pending.Count;
    return rc;
}

void CTwainTestClient::ArmCancel(const SAcquireOptions &options) {
    if (options.cancelAfterMs >= 0)
        m_operator.PressProgressCancelAfter(static_cast<DWORD>(options.cancelAfterMs));
}

void CTwainTestClient::TransferNative(STransferredPage &page) {
    TW_HANDLE dib = nullptr;
    page.rc = Image(DAT_IMAGENATIVEXFER, MSG_GET, &dib);
    if (page.rc != TWRC_XFERDONE || !dib)
        return;
    // The DIB belongs to the application from here on.
    if (const void *bits = ::GlobalLock(dib)) {
        page.data.assign(static_cast<const char *>(bits), ::GlobalSize(dib));
        ::GlobalUnlock(dib);
    }
    ::GlobalFree(dib);
}

void CTwainTestClient::TransferMemory(const SAcquireOptions &options, int number,
                                      TW_UINT32 bufferSize, STransferredPage &page) {
    std::string &buffer = m_memBuffer;
    if (buffer.size() != bufferSize)
        buffer.assign(bufferSize, '\0');
    page.bufferSize = bufferSize;
    int emptyBlocks = 0;
    for (;;) {
        TW_IMAGEMEMXFER xfer{};
        xfer.Compression = TWON_DONTCARE16;
        xfer.BytesPerRow = xfer.Columns = xfer.Rows = TWON_DONTCARE32;
        xfer.XOffset = xfer.YOffset = xfer.BytesWritten = TWON_DONTCARE32;
        xfer.Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
        xfer.Memory.Length = bufferSize;
        xfer.Memory.TheMem = buffer.data();
        const TW_UINT16 rc = Image(DAT_IMAGEMEMXFER, MSG_GET, &xfer);
        const SMemBlock block{rc,        xfer.Compression, xfer.BytesPerRow, xfer.Columns,
                              xfer.Rows, xfer.XOffset,     xfer.YOffset,     xfer.BytesWritten};
        page.rc = rc;
        if (!options.onMemBytes)
            page.blocks.push_back(block);
        const bool delivered = rc == TWRC_SUCCESS || rc == TWRC_XFERDONE;
        if (delivered && block.BytesWritten <= bufferSize) {
            if (options.onMemBytes)
                options.onMemBytes(number, buffer.data(), block.BytesWritten);
            else if (options.placeByOffsets)
                page.data.append(buffer.data(), block.BytesWritten);
            else
                PlaceRows(page, block, buffer);
        }
        if (options.onMemBlock)
            options.onMemBlock(number, block);
        emptyBlocks = delivered && block.BytesWritten == 0 ? emptyBlocks + 1 : 0;
        if (rc != TWRC_SUCCESS || emptyBlocks >= kMaxEmptyBlocks)
            return;
    }
}

void CTwainTestClient::PlaceRows(STransferredPage &page, const SMemBlock &block,
                                 const std::string &buffer) {
    // The row length is the first block's; each block's rows land at its
    // YOffset, as many as it says, whatever BytesWritten says.
    if (page.blocks.size() <= 1 || page.rowLength == 0)
        page.rowLength = block.BytesPerRow;
    const size_t bytes = std::min<size_t>(size_t{block.Rows} * block.BytesPerRow, buffer.size());
    const size_t at = size_t{block.YOffset} * page.rowLength;
    if (page.data.size() < at + bytes)
        page.data.resize(at + bytes);
    page.data.replace(at, bytes, buffer, 0, bytes);
}

void CTwainTestClient::TransferFile(const SAcquireOptions &options, int number,
                                    STransferredPage &page) {
    TW_SETUPFILEXFER setup{};
    page.fileName = options.filePrefix + std::to_string(number) + ".bmp";
    std::strncpy(setup.FileName, page.fileName.c_str(), sizeof setup.FileName - 1);
    setup.Format = TWFF_BMP;
    page.rc = Control(DAT_SETUPFILEXFER, MSG_SET, &setup);
    if (page.rc != TWRC_SUCCESS)
        return;
    if (options.beforeFileXfer)
        options.beforeFileXfer(page.fileName);
    ArmCancel(options);
    page.rc = Image(DAT_IMAGEFILEXFER, MSG_GET, nullptr);
    if (page.rc == TWRC_XFERDONE)
        page.data = ReadWholeFile(page.fileName);
    else
        page.fileLeft = ::GetFileAttributesA(page.fileName.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TW_UINT16 CTwainTestClient::Disable() {
    if (!m_enabled)
        return TWRC_SUCCESS;
    TW_USERINTERFACE ui{TRUE, FALSE, m_parent};
    const TW_UINT16 rc = Control(DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    m_enabled = false;
    m_mainDialog = nullptr;
    return rc;
}

TW_UINT16 CTwainTestClient::CloseSource() {
    if (!m_sourceOpen)
        return TWRC_SUCCESS;
    m_sourceOpen = false;
    m_pendingMessages.clear();
    return ToManager(DAT_IDENTITY, MSG_CLOSEDS, &m_source);
}

TW_UINT16 CTwainTestClient::CloseManager() {
    if (!m_managerOpen)
        return TWRC_SUCCESS;
    m_managerOpen = false;
    return ToManager(DAT_PARENT, MSG_CLOSEDSM, &m_parent);
}
