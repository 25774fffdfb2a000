// The utility's side of TWAIN: the source manager loaded from the Windows
// directory, our sources listed and one chosen, opened and enabled with its
// own dialog, its events routed, every page pulled by memory transfer, and
// the orderly close. Each step shows its own message when it fails and
// returns that message's id (0 on success); the transfer steps raise the
// id instead, for the transfer loop to decide what to show.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "SaveHost.h"
#include "SourceList.h"
#include "WinHandles.h"
#include "twain/twain.h"

// What the TWAIN side needs from the main window.
class IScanTwainHost {
public:
    virtual ~IScanTwainHost() = default;
    // The window the source manager and the source's dialog belong to.
    virtual HWND TwainWindow() const = 0;
    // One error box; `duringTransfer` when the source's progress is up.
    virtual void ShowTwainMessage(const std::wstring &text, bool duringTransfer) = 0;
    // The output type of the last save (1-based), which some images cannot take.
    virtual int OutputType() const = 0;
};

class CScanTwain : public ITransferSource {
public:
    CScanTwain(HINSTANCE module, IScanTwainHost &host);
    ~CScanTwain() override;
    CScanTwain(const CScanTwain &) = delete;
    CScanTwain &operator=(const CScanTwain &) = delete;

    int loadDSM();
    int openDSM();
    int getDSList();
    int openDS();
    int enableDS();
    int disableDS();
    int closeDS();
    int closeDSM();
    // The source manager's answer to MSG_PROCESSEVENT; what the source asks
    // for comes back in `twMessage`.
    TW_UINT16 processEvent(MSG &msg, TW_UINT16 &twMessage);

    // Raise the message id as an int.
    TW_UINT32 setupMemXfer() override;
    // The colour code (1 black and white, 2 gray, 3 colour, 0 other).
    int getImageInfo(TW_IMAGEINFO &info, double &resolution) override;
    // `length`: the buffer's size in, the bytes written out.
    TW_UINT16 imageMemXfer(void *buffer, TW_UINT32 &length, TW_IMAGEMEMXFER &block) override;
    // True when no page is left.
    bool endXfer() override;
    void resetXfers() override;

    // Lists our sources (2 → 3 → 2) and takes the one named `savedName`.
    void ListAndChoose(const std::string &savedName);
    const CSourceList &Sources() const { return m_sources; }
    std::optional<size_t> Current() const { return m_current; }
    // The entry becomes the identity of the next MSG_OPENDS.
    void SetCurrent(size_t index);

    // The scan command's steps, up to the source's dialog.
    int StartScan();
    bool Enabled() const { return m_enabled; }
    // The answer to a close request: each step only after the one before
    // succeeded.
    int CloseSequence();
    // What is still open when the program ends, closed without boxes.
    void CloseQuietly();

    // The location text of message 201.
    static constexpr const wchar_t *kSourceFile = L"ScanTwain.cpp";

private:
    TW_UINT16 Call(TW_IDENTITY *dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void *data);
    // After a failed triplet: the condition code into message `id`, or
    // message 201 when the code cannot be had. Returns `id`.
    int Fail(int id, TW_IDENTITY *statusDest, int line, bool duringTransfer = false);
    // 200 and 202, which name the file.
    int FailWithPath(int id);
    void FillAppIdentity();

    HINSTANCE m_module;
    IScanTwainHost &m_host;
    CAutoModule m_dsm;
    std::string m_dsmPath;
    DSMENTRYPROC m_entry = nullptr;
    TW_IDENTITY m_app{};
    TW_IDENTITY m_source{};
    CSourceList m_sources;
    std::optional<size_t> m_current;
    bool m_enabled = false;
    // TWAIN state as far as this side knows it (1 to 5), for the quiet close.
    int m_state = 1;
};
