// A source manager for the utility's failure tests, put where the utility
// loads TWAIN_32.DLL from. It lists the identities it is given, opens and
// enables any of them, delivers a close request or a one-page transfer when
// the test posts it a message, fails the one triplet it is told to fail
// (DAT_STATUS too, on request), and writes every call it gets to a file.
//
// Told through the environment the utility inherits:
//   CORV_FAILING_DSM_LOG      the file the calls go to, one a line
//   CORV_FAILING_DSM_FAIL     the step that fails (OPENDSM, GETFIRST, OPENDS, ...)
//   CORV_FAILING_DSM_STATUS   "fail": DAT_STATUS fails as well
//   CORV_FAILING_DSM_SOURCES  "maker|family|product;..." the sources to list
//   CORV_FAILING_DSM_DIALOG   "1": at MSG_ENABLEDS a window stands in for the
//                             source's dialog: it asks the application for its
//                             unit and records the answer and progress requests
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "twain/twain.h"

namespace {

// Posted by the test to the utility's window; they come back through
// MSG_PROCESSEVENT as the source's requests.
constexpr UINT kAskClose = WM_APP + 0x5C;
constexpr UINT kAskTransfer = WM_APP + 0x5D;
constexpr TW_UINT16 kConditionCode = 11;
// The page it transfers: 16 x 4 grey.
constexpr TW_INT32 kWidth = 16;
constexpr TW_INT32 kLength = 4;

std::string Env(const char *name) {
    char value[1024] = {};
    const DWORD n = ::GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

void Record(const std::string &line) {
    const std::string path = Env("CORV_FAILING_DSM_LOG");
    if (path.empty())
        return;
    if (FILE *f = std::fopen(path.c_str(), "ab")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

std::vector<TW_IDENTITY> Sources() {
    std::vector<TW_IDENTITY> out;
    const std::string list = Env("CORV_FAILING_DSM_SOURCES");
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find(';', start);
        if (end == std::string::npos)
            end = list.size();
        const std::string entry = list.substr(start, end - start);
        const size_t a = entry.find('|');
        const size_t b = entry.find('|', a + 1);
        TW_IDENTITY id{};
        std::strncpy(id.Manufacturer, entry.substr(0, a).c_str(), sizeof id.Manufacturer - 1);
        std::strncpy(id.ProductFamily, entry.substr(a + 1, b - a - 1).c_str(),
                     sizeof id.ProductFamily - 1);
        std::strncpy(id.ProductName, entry.substr(b + 1).c_str(), sizeof id.ProductName - 1);
        out.push_back(id);
        start = end + 1;
    }
    return out;
}

const char *StepName(TW_UINT16 dat, TW_UINT16 msg) {
    switch (dat) {
        case DAT_PARENT:
            return msg == MSG_OPENDSM ? "OPENDSM" : "CLOSEDSM";
        case DAT_IDENTITY:
            switch (msg) {
                case MSG_GETFIRST:
                    return "GETFIRST";
                case MSG_GETNEXT:
                    return "GETNEXT";
                case MSG_OPENDS:
                    return "OPENDS";
                default:
                    return "CLOSEDS";
            }
        case DAT_USERINTERFACE:
            return msg == MSG_ENABLEDS ? "ENABLEDS" : "DISABLEDS";
        case DAT_EVENT:
            return "PROCESSEVENT";
        case DAT_STATUS:
            return "STATUS";
        case DAT_SETUPMEMXFER:
            return "SETUPMEMXFER";
        case DAT_IMAGEINFO:
            return "IMAGEINFO";
        case DAT_IMAGEMEMXFER:
            return "IMAGEMEMXFER";
        case DAT_PENDINGXFERS:
            return msg == MSG_ENDXFER ? "ENDXFER" : "RESET";
        default:
            return "OTHER";
    }
}

size_t g_next = 0;

// What a source's dialog receives from the application beside TWAIN.
LRESULT CALLBACK DialogProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == ::RegisterWindowMessageW(L"CV_GETPARAMRESPONSE_TOSCANUI")) {
        const auto *block =
            static_cast<const uint8_t *>(::GlobalLock(reinterpret_cast<HGLOBAL>(wParam)));
        int32_t unit = 0;
        std::memcpy(&unit, block + 516, sizeof unit);
        ::GlobalUnlock(reinterpret_cast<HGLOBAL>(wParam));
        ::GlobalFree(reinterpret_cast<HGLOBAL>(wParam));
        Record("UNIT " + std::to_string(unit));
        return 0;
    }
    if (msg == ::RegisterWindowMessageW(L"CV_ENABLEPROGRESS_TOSCANUI")) {
        Record("PROGRESS " + std::to_string(wParam));
        return 0;
    }
    return ::DefWindowProcW(window, msg, wParam, lParam);
}

// A top-level window owned by the application's, as the source's dialog
// is, asking for the unit the way the dialog does when it is created.
void OpenDialog(HWND parent) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DialogProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"FailingDsmDialog";
    ::RegisterClassW(&wc);
    const HWND dialog = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, parent,
                                          nullptr, wc.hInstance, nullptr);
    HGLOBAL block = ::GlobalAlloc(GMEM_ZEROINIT, 520);
    auto *bytes = static_cast<uint8_t *>(::GlobalLock(block));
    const auto handle = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(dialog));
    std::memcpy(bytes, &handle, sizeof handle);
    ::GlobalUnlock(block);
    ::SendMessageW(parent, ::RegisterWindowMessageW(L"CV_GETPARAMREQUEST_FROMSCANUI"),
                   reinterpret_cast<WPARAM>(block), 0);
}

TW_UINT16 Answer(TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    switch (dat) {
        case DAT_IDENTITY: {
            const std::vector<TW_IDENTITY> sources = Sources();
            if (msg == MSG_GETFIRST)
                g_next = 0;
            if (msg == MSG_GETFIRST || msg == MSG_GETNEXT) {
                if (g_next >= sources.size())
                    return TWRC_ENDOFLIST;
                *reinterpret_cast<TW_IDENTITY *>(data) = sources[g_next++];
            }
            return TWRC_SUCCESS;
        }
        case DAT_USERINTERFACE:
            if (msg == MSG_ENABLEDS && Env("CORV_FAILING_DSM_DIALOG") == "1")
                OpenDialog(static_cast<HWND>(reinterpret_cast<TW_USERINTERFACE *>(data)->hParent));
            return TWRC_SUCCESS;
        case DAT_EVENT: {
            auto *event = reinterpret_cast<TW_EVENT *>(data);
            const MSG *m = reinterpret_cast<const MSG *>(event->pEvent);
            if (m->message == kAskClose || m->message == kAskTransfer) {
                event->TWMessage = m->message == kAskClose ? MSG_CLOSEDSREQ : MSG_XFERREADY;
                return TWRC_DSEVENT;
            }
            event->TWMessage = MSG_NULL;
            return TWRC_NOTDSEVENT;
        }
        case DAT_SETUPMEMXFER: {
            auto *setup = reinterpret_cast<TW_SETUPMEMXFER *>(data);
            setup->MinBufSize = kWidth;
            setup->MaxBufSize = 4096;
            setup->Preferred = 1024;
            return TWRC_SUCCESS;
        }
        case DAT_IMAGEINFO: {
            auto *info = reinterpret_cast<TW_IMAGEINFO *>(data);
            info->ImageWidth = kWidth;
            info->ImageLength = kLength;
            info->SamplesPerPixel = 1;
            info->BitsPerSample[0] = 8;
            info->BitsPerPixel = 8;
            info->XResolution.Whole = 200;
            info->YResolution.Whole = 200;
            return TWRC_SUCCESS;
        }
        case DAT_IMAGEMEMXFER: {
            auto *block = reinterpret_cast<TW_IMAGEMEMXFER *>(data);
            const TW_UINT32 bytes = static_cast<TW_UINT32>(kWidth * kLength);
            if (block->Memory.Length < bytes)
                return TWRC_FAILURE;
            std::memset(block->Memory.TheMem, 0x80, bytes);
            block->BytesPerRow = kWidth;
            block->Columns = kWidth;
            block->Rows = kLength;
            block->XOffset = 0;
            block->YOffset = 0;
            block->BytesWritten = bytes;
            return TWRC_XFERDONE;
        }
        case DAT_PENDINGXFERS:
            reinterpret_cast<TW_PENDINGXFERS *>(data)->Count = 0;
            return TWRC_SUCCESS;
        case DAT_STATUS:
            reinterpret_cast<TW_STATUS *>(data)->ConditionCode = kConditionCode;
            return Env("CORV_FAILING_DSM_STATUS") == "fail" ? TWRC_FAILURE : TWRC_SUCCESS;
        default:
            return TWRC_SUCCESS;
    }
}

}  // namespace

extern "C" TW_UINT16 TW_CALLINGSTYLE DSM_Entry(pTW_IDENTITY, pTW_IDENTITY dest, TW_UINT32,
                                               TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    const std::string step = StepName(dat, msg);
    if (step == "PROCESSEVENT") {
        // Only the requests are of interest; every other message passes.
        const TW_UINT16 rc = Answer(dat, msg, data);
        if (rc == TWRC_DSEVENT)
            Record(reinterpret_cast<TW_EVENT *>(data)->TWMessage == MSG_CLOSEDSREQ
                       ? "PROCESSEVENT CLOSEDSREQ"
                       : "PROCESSEVENT XFERREADY");
        return rc;
    }
    std::string line = step + (dest ? " to source" : "");
    if (step == "OPENDS")
        line += std::string(" ") + reinterpret_cast<TW_IDENTITY *>(data)->ProductName;
    Record(line);
    if (step == Env("CORV_FAILING_DSM_FAIL"))
        return TWRC_FAILURE;
    return Answer(dat, msg, data);
}
