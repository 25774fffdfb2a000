#include "MessageBox.h"

#include "ResString.h"
#include "res/corvsrc_ids.h"

namespace {
DsMessageBoxAnswerer &Answerer() {
    static DsMessageBoxAnswerer answerer;
    return answerer;
}

// The texts are linked into the module this code is part of (the source,
// or a test program), whatever module the application itself is.
HINSTANCE TextModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&TextModule), &module);
    return module;
}
}  // namespace

int DsMessageBox(HWND owner, const std::wstring &text, UINT flags) {
    if (Answerer())
        return Answerer()(text, flags);
    std::wstring title = LoadResString(TextModule(), IDS_APP_TITLE);
    return ::MessageBoxW(owner, text.c_str(), title.c_str(), flags);
}

int DsMessageBox(HWND owner, UINT textId, UINT flags) {
    return DsMessageBox(owner, LoadResString(TextModule(), textId), flags);
}

void SetDsMessageBoxAnswerer(DsMessageBoxAnswerer answerer) {
    Answerer() = std::move(answerer);
}
