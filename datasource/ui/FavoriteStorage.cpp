#include "FavoriteStorage.h"

#include "AnsiText_win.h"
#include "FavoriteName.h"
#include "MessageBox.h"
#include "ResString.h"
#include "res/favorite_dialogs_ids.h"
#include "res/main_dialog_ids.h"

namespace {

// The text as the ANSI code page keeps it: a character it cannot hold
// becomes "?", which the name check then refuses instead of a file name
// that cannot be created.
std::wstring AsStored(const std::wstring &text) {
    return CAnsiText::ToWide(CAnsiText::FromWide(text));
}

}  // namespace

CFavoriteStorage::CFavoriteStorage(HINSTANCE module,
                                   std::function<bool(const std::string &)> exists)
    : m_module(module), m_exists(std::move(exists)) {}

INT_PTR CFavoriteStorage::Run(HWND parent) {
    return RunModal(m_module, IDD_FAVORITE_STORAGE, parent);
}

void CFavoriteStorage::Refuse(const std::wstring &text, int focus) {
    DsMessageBox(Hwnd(), text, MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
    SetFocus(GetDlgItem(Hwnd(), focus));
}

bool CFavoriteStorage::Accept() {
    const std::wstring reserved[] = {LoadResString(m_module, IDS_FAVORITE_STANDARD),
                                     LoadResString(m_module, IDS_FAVORITE_CURRENT)};
    const std::wstring comment = AsStored(ItemText(IDC_FAVORITE_COMMENT));
    const CFavoriteName::SCheck check = CFavoriteName::Check(
        AsStored(ItemText(IDC_FAVORITE_NAME)), comment, {reserved[0], reserved[1]},
        [](std::wstring_view text) { return CAnsiText::FromWide(text).size(); });
    switch (check.result) {
        case EFavoriteEntry::EmptyName:
            return false;
        case EFavoriteEntry::ReservedName: {
            std::wstring text = LoadResString(m_module, IDS_FAVORITE_RESERVED);
            if (const size_t at = text.find(L"%s"); at != std::wstring::npos)
                text.replace(at, 2, check.name);
            Refuse(text, IDC_FAVORITE_NAME);
            return false;
        }
        case EFavoriteEntry::NameLength:
            Refuse(LoadResString(m_module, IDS_FAVORITE_NAME_LENGTH), IDC_FAVORITE_NAME);
            return false;
        case EFavoriteEntry::InvalidName:
            Refuse(LoadResString(m_module, IDS_FAVORITE_INVALID), IDC_FAVORITE_NAME);
            return false;
        case EFavoriteEntry::CommentLength:
            Refuse(LoadResString(m_module, IDS_FAVORITE_COMMENT_LENGTH), IDC_FAVORITE_COMMENT);
            return false;
        case EFavoriteEntry::Accepted:
            break;
    }
    const std::string name = CAnsiText::FromWide(check.name);
    if (m_exists(name) && DsMessageBox(Hwnd(), LoadResString(m_module, IDS_FAVORITE_OVERWRITE),
                                       MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL) != IDYES)
        return false;
    m_name = name;
    m_comment = CAnsiText::FromWide(comment);
    return true;
}

INT_PTR CFavoriteStorage::OnMessage(UINT msg, WPARAM wParam, LPARAM) {
    if (msg != WM_COMMAND || LOWORD(wParam) != IDOK)
        return FALSE;
    if (Accept())
        EndModal(IDOK);
    return TRUE;
}
