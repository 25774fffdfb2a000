#include "MessageBox.h"

#include "res/corvsrc_ids.h"
#include "ResString.h"
#include "TwainSrcApp.h"

namespace {
DsMessageBoxAnswerer &Answerer() {
    static DsMessageBoxAnswerer answerer;
    return answerer;
}
}  // namespace

int DsMessageBox(HWND owner, const std::wstring &text, UINT flags) {
    if (Answerer())
        return Answerer()(text, flags);
    std::wstring title = LoadResString(TheApp().Instance(), IDS_APP_TITLE);
    return ::MessageBoxW(owner, text.c_str(), title.c_str(), flags);
}

int DsMessageBox(HWND owner, UINT textId, UINT flags) {
    return DsMessageBox(owner, LoadResString(TheApp().Instance(), textId), flags);
}

void SetDsMessageBoxAnswerer(DsMessageBoxAnswerer answerer) {
    Answerer() = std::move(answerer);
}
