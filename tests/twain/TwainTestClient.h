// A TWAIN application for tests: drives the installed data source through
// Wine's own source manager (C:\windows\twain_32.dll) the way a real
// application does, with a parent window, a message loop that routes every
// message through MSG_PROCESSEVENT, and the three transfer mechanisms. It
// records what each page brought: the image information, every return
// code and the bytes delivered.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "DialogOperator.h"
#include "twain/twain.h"

enum class EXferMech : TW_UINT16 { Native = TWSX_NATIVE, File = TWSX_FILE, Memory = TWSX_MEMORY };

// One TW_IMAGEMEMXFER answer, without the application's buffer.
struct SMemBlock {
    TW_UINT16 rc = 0;
    TW_UINT16 Compression = 0;
    TW_UINT32 BytesPerRow = 0;
    TW_UINT32 Columns = 0;
    TW_UINT32 Rows = 0;
    TW_UINT32 XOffset = 0;
    TW_UINT32 YOffset = 0;
    TW_UINT32 BytesWritten = 0;
};

struct STransferredPage {
    TW_UINT16 infoRc = 0;
    TW_IMAGEINFO info{};
    // The transfer's last return code (memory: of the last block).
    TW_UINT16 rc = 0;
    // DAT_STATUS read right after the transfer.
    TW_UINT16 conditionCode = 0;
    // TWAIN state after the transfer, as the next triplets show it (5, 6, 7).
    int stateAfter = 0;
    std::vector<SMemBlock> blocks;
    // Memory: the application's buffer, and the row length it took from the first block.
    TW_UINT32 bufferSize = 0;
    TW_UINT32 rowLength = 0;
    // Native: the whole DIB; memory: the page as the application put it
    // together (see SAcquireOptions::placeByOffsets); file: the file.
    std::string data;
    std::string fileName;
    // File transfers that did not finish: whether the file is still there.
    bool fileLeft = false;
    TW_UINT16 pendingRc = 0;
    TW_UINT16 pendingCount = 0;
};

struct SAcquireOptions {
    EXferMech mech = EXferMech::Memory;
    // Memory: application buffer size; 0 takes DAT_SETUPMEMXFER's Preferred.
    TW_UINT32 memBufferSize = 0;
    // Memory: how the page is put together. Most applications copy each
    // block's Rows x BytesPerRow bytes to row YOffset and ignore XOffset
    // (false); an application with a buffer below one row must follow the
    // pieces' byte offsets instead (true).
    bool placeByOffsets = false;
    // File: page n goes to <filePrefix><n>.bmp.
    std::string filePrefix;
    // After a transfer that did not end with TWRC_XFERDONE: MSG_RESET
    // instead of MSG_ENDXFER.
    bool resetAfterFailure = false;
    // Called after each memory block with the page number (from 1).
    std::function<void(int page, const SMemBlock &)> onMemBlock;
    // Memory: called with each block's bytes instead of keeping them.
    std::function<void(int page, const char *bytes, size_t size)> onMemBytes;
    // Called after each transfer and its DAT_STATUS, before DAT_PENDINGXFERS.
    std::function<void(int page, const STransferredPage &)> onTransferred;
    // Called when a page is done; pages are still kept unless onMemBytes took the bytes.
    std::function<void(int page, const STransferredPage &)> onPage;
    // File: called between DAT_SETUPFILEXFER and DAT_IMAGEFILEXFER with the file name.
    std::function<void(const std::string &fileName)> beforeFileXfer;
    // Presses Cancel in the progress dialog this long after each transfer starts (native and file).
    int cancelAfterMs = -1;
    // Waiting for the scan start to reach MSG_XFERREADY or fail.
    DWORD scanTimeoutMs = 60000;
};

struct SAcquisition {
    TW_UINT16 mechRc = 0;
    TW_UINT16 enableRc = 0;
    bool dialogFound = false;
    bool xferReady = false;
    bool closeRequested = false;
    TW_SETUPMEMXFER memSetup{};
    std::vector<STransferredPage> pages;
};

class CTwainTestClient {
public:
    CTwainTestClient();
    ~CTwainTestClient();
    CTwainTestClient(const CTwainTestClient &) = delete;
    CTwainTestClient &operator=(const CTwainTestClient &) = delete;

    // Copies corvsrc.ds from beside the test program to C:\windows\twain_32\sane.ds,
    // the one name Wine's source manager tries; once per process, before any manager is loaded.
    static bool InstallSource();
    // Where the installed source lives.
    static std::wstring InstalledSourcePath();

    // DSM open, source found by its product family and opened.
    bool OpenManager();
    bool OpenSource(const char *productFamily = "Corvane QM");
    const TW_IDENTITY &Source() const { return m_source; }

    // Triplets to the source; their return codes.
    TW_UINT16 Control(TW_UINT16 dat, TW_UINT16 msg, void *data);
    TW_UINT16 Image(TW_UINT16 dat, TW_UINT16 msg, void *data);
    TW_UINT16 ConditionCode();
    TW_UINT16 SetXferMech(EXferMech mech);
    // TWAIN state 5, 6 or 7 as the source's answers show it. Changes the condition code.
    int ProbeState();

    TW_UINT16 Enable(TW_BOOL showUI = TRUE);
    HWND MainDialog() const { return m_mainDialog; }
    void PressScan();
    void PressClose();

    // Runs the message loop until the source asks for something (MSG_XFERREADY,
    // MSG_CLOSEDSREQ, MSG_CLOSEDSOK) or the time is up; MSG_NULL then.
    TW_UINT16 WaitForSourceMessage(DWORD timeoutMs);
    // Runs the message loop until done() holds or the time is up; its last value.
    bool PumpUntil(const std::function<bool()> &done, DWORD timeoutMs);

    // Enable with the dialog shown, press Scan, and transfer every page on
    // MSG_XFERREADY; ends when the source reports Count 0, or asks to be closed.
    SAcquisition Acquire(const SAcquireOptions &options);
    // The transfers of MSG_XFERREADY up to Count 0 (or a failure followed by MSG_RESET).
    void TransferPages(const SAcquireOptions &options, SAcquisition &result);

    // MSG_DISABLEDS (if enabled) and MSG_CLOSEDS; then the manager closes.
    TW_UINT16 Disable();
    TW_UINT16 CloseSource();
    TW_UINT16 CloseManager();

    CDialogOperator &Operator() { return m_operator; }
    HWND Parent() const { return m_parent; }

private:
    TW_UINT16 ToManager(TW_UINT16 dat, TW_UINT16 msg, void *data);
    bool ProcessEvent(MSG &msg, TW_UINT16 &twMessage);
    TW_UINT16 PendingXfers(TW_UINT16 msg, STransferredPage &page);
    void TransferNative(STransferredPage &page);
    static void PlaceRows(STransferredPage &page, const SMemBlock &block,
                          const std::string &buffer);
    void TransferMemory(const SAcquireOptions &options, int number, TW_UINT32 bufferSize,
                        STransferredPage &page);
    void TransferFile(const SAcquireOptions &options, int number, STransferredPage &page);
    void ArmCancel(const SAcquireOptions &options);

    CDialogOperator m_operator;
    HMODULE m_dsm = nullptr;
    DSMENTRYPROC m_entry = nullptr;
    HWND m_parent = nullptr;
    HWND m_mainDialog = nullptr;
    TW_IDENTITY m_app{};
    TW_IDENTITY m_source{};
    bool m_managerOpen = false;
    bool m_sourceOpen = false;
    bool m_enabled = false;
    // Source messages that arrived while the loop waited for something else.
    std::vector<TW_UINT16> m_pendingMessages;
    // The memory-transfer buffer, kept from page to page.
    std::string m_memBuffer;
};
