// A second process for the instance-mutex tests: loads corvsrc.ds from its
// own folder and opens it as another application would.
//   ds_open_holder hold  - open, signal "opened", wait for "release", close
//   ds_open_holder try   - open once; exit code = 100 * TWRC + condition code
//   ds_open_holder while FILE - open, create FILE, hold while FILE exists (for
//                               scripts, which cannot make events; 60 s at most)
#include <windows.h>

#include <cstring>

#include "twain/twain.h"

namespace {
const wchar_t kOpenedEvent[] = L"CorvDsTestHolderOpened";
const wchar_t kReleaseEvent[] = L"CorvDsTestHolderRelease";

TW_UINT16 ConditionCode(DSENTRYPROC entry, TW_IDENTITY *app) {
    TW_STATUS status{};
    entry(app, DG_CONTROL, DAT_STATUS, MSG_GET, reinterpret_cast<TW_MEMREF>(&status));
    return status.ConditionCode;
}

void HoldWhileFileExists(const char *path) {
    HANDLE marker = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker == INVALID_HANDLE_VALUE)
        return;
    ::CloseHandle(marker);
    for (int waited = 0; waited < 60000 && ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
         waited += 50)
        ::Sleep(50);
}
}  // namespace

int main(int argc, char **argv) {
    if (argc < 2)
        return 2;
    HMODULE ds = ::LoadLibraryW(L"corvsrc.ds");
    if (!ds)
        return 3;
    auto entry = reinterpret_cast<DSENTRYPROC>(
        reinterpret_cast<void (*)()>(::GetProcAddress(ds, "DS_Entry")));
    if (!entry)
        return 4;
    TW_IDENTITY app{};
    app.Id = 42;
    TW_IDENTITY source{};
    entry(&app, DG_CONTROL, DAT_IDENTITY, MSG_GET, reinterpret_cast<TW_MEMREF>(&source));
    source.Id = 1;
    TW_UINT16 rc =
        entry(&app, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, reinterpret_cast<TW_MEMREF>(&source));
    int result = 100 * rc + (rc == TWRC_SUCCESS ? 0 : ConditionCode(entry, &app));
    if (std::strcmp(argv[1], "while") == 0 && argc > 2 && rc == TWRC_SUCCESS)
        HoldWhileFileExists(argv[2]);
    if (std::strcmp(argv[1], "hold") == 0 && rc == TWRC_SUCCESS) {
        HANDLE opened = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, kOpenedEvent);
        HANDLE release = ::OpenEventW(SYNCHRONIZE, FALSE, kReleaseEvent);
        if (opened)
            ::SetEvent(opened);
        if (release)
            ::WaitForSingleObject(release, 20000);
        if (opened)
            ::CloseHandle(opened);
        if (release)
            ::CloseHandle(release);
    }
    if (rc == TWRC_SUCCESS)
        entry(&app, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, nullptr);
    ::FreeLibrary(ds);
    return result;
}
