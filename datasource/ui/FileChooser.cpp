#include "FileChooser.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

namespace {
DsFileChooser &Chooser() {
    static DsFileChooser chooser;
    return chooser;
}
}  // namespace

std::optional<std::wstring> DsChooseFile(HWND owner, EFileChoice kind, const std::wstring &filter,
                                         const std::wstring &suggested, const wchar_t *extension) {
    if (Chooser())
        return Chooser()(kind, suggested);
    // The dialog takes its filter as texts separated and ended by zeros.
    std::wstring filters = filter;
    for (wchar_t &c : filters)
        if (c == L'|')
            c = L'\0';
    filters.push_back(L'\0');
    std::vector<wchar_t> path(MAX_PATH * 4, L'\0');
    suggested.copy(path.data(), std::min(suggested.size(), path.size() - 1));
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filters.c_str();
    ofn.lpstrFile = path.data();
    ofn.nMaxFile = static_cast<DWORD>(path.size());
    ofn.lpstrDefExt = extension;
    ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                (kind == EFileChoice::Open ? OFN_FILEMUSTEXIST : OFN_OVERWRITEPROMPT);
    const BOOL chosen = kind == EFileChoice::Open ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn);
    if (!chosen)
        return std::nullopt;
    return std::wstring(path.data());
}

void SetDsFileChooser(DsFileChooser chooser) {
    Chooser() = std::move(chooser);
}
