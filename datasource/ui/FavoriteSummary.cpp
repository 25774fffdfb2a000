#include "FavoriteSummary.h"

#include "AnsiText_win.h"
#include "FileChooser.h"
#include "MessageBox.h"
#include "ResString.h"
#include "res/favorite_dialogs_ids.h"

namespace {

bool FileExists(const std::wstring &path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring FileNameOf(const std::wstring &path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool HasExtension(const std::wstring &path, const std::wstring &extension) {
    const std::wstring name = FileNameOf(path);
    const size_t dot = name.rfind(L'.');
    return dot != std::wstring::npos && _wcsicmp(name.c_str() + dot + 1, extension.c_str()) == 0;
}

}  // namespace

CFavoriteSummary::CFavoriteSummary(HINSTANCE module, const IStringSource &strings,
                                   CFavoriteList favorites, size_t selected)
    : m_module(module),
      m_strings(strings),
      m_favorites(std::move(favorites)),
      m_initial(selected) {}

INT_PTR CFavoriteSummary::Run(HWND parent) {
    return RunModal(m_module, IDD_FAVORITE_SUMMARY, parent);
}

BOOL CFavoriteSummary::OnInitDialog() {
    m_tree.Attach(GetDlgItem(Hwnd(), IDC_FAVORITE_TREE));
    for (size_t i = 0; i < m_favorites.Count(); ++i)
        SendDlgItemMessageW(Hwnd(), IDC_FAVORITE_ENTRIES, LB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(m_favorites.Text(i, m_strings).c_str()));
    Select(m_initial < m_favorites.Count() ? m_initial : CFavoriteList::kCurrent);
    return TRUE;
}

size_t CFavoriteSummary::Selected() const {
    const auto index = SendDlgItemMessageW(Hwnd(), IDC_FAVORITE_ENTRIES, LB_GETCURSEL, 0, 0);
    return index < 0 ? CFavoriteList::kCurrent : static_cast<size_t>(index);
}

void CFavoriteSummary::Select(size_t index) {
    if (index >= m_favorites.Count())
        return;
    SendDlgItemMessageW(Hwnd(), IDC_FAVORITE_ENTRIES, LB_SETCURSEL, index, 0);
    const CFavoriteInfo &favorite = m_favorites.At(index);
    SetDlgItemTextW(Hwnd(), IDC_SUMMARY_NAME, m_favorites.Text(index, m_strings).c_str());
    SetDlgItemTextW(Hwnd(), IDC_FAVORITE_COMMENT, CAnsiText::ToWide(favorite.Comment).c_str());
    m_tree.Show(
        CFavoriteTree::Lines(favorite, m_favorites.At(CFavoriteList::kStandard), m_strings));
    // Only favourite files can be deleted or written elsewhere.
    for (int id : {IDC_FAVORITE_DELETE, IDC_FAVORITE_EXPORT})
        EnableWindow(GetDlgItem(Hwnd(), id), index > CFavoriteList::kStandard);
}

int CFavoriteSummary::Tell(UINT textId, const std::wstring &detail, UINT flags) {
    std::wstring text = LoadResString(m_module, textId);
    if (const size_t at = text.find(L"%s"); at != std::wstring::npos)
        text.replace(at, 2, detail);
    return DsMessageBox(Hwnd(), text, flags | MB_SYSTEMMODAL);
}

void CFavoriteSummary::OnDelete() {
    const size_t index = Selected();
    if (index <= CFavoriteList::kStandard ||
        Tell(IDS_FAVORITE_DELETE, {}, MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    if (FileExists(m_favorites.FileOf(index)))
        m_toDelete.push_back(m_favorites.FileOf(index));
    m_favorites.Remove(index);
    SendDlgItemMessageW(Hwnd(), IDC_FAVORITE_ENTRIES, LB_DELETESTRING, index, 0);
    Select(std::min(index, m_favorites.Count() - 1));
}

void CFavoriteSummary::OnImport() {
    const auto chosen =
        DsChooseFile(Hwnd(), EFileChoice::Open, LoadResString(m_module, IDS_FAVORITE_FILTER), {},
                     m_favorites.Extension().c_str());
    if (!chosen)
        return;
    const CFavoriteFile::SRead read = CFavoriteList::ReadFile(*chosen);
    if (read.status != EFavoriteFile::Read) {
        Tell(IDS_FAVORITE_UNREADABLE, *chosen, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // A favourite of that file name already exists: the copy fails and
    // nothing is added.
    const std::wstring target = m_favorites.PathIn(FileNameOf(*chosen));
    if (!CopyFileW(chosen->c_str(), target.c_str(), TRUE))
        return;
    const size_t index = m_favorites.Add(read.favorite, target);
    SendDlgItemMessageW(Hwnd(), IDC_FAVORITE_ENTRIES, LB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(m_favorites.Text(index, m_strings).c_str()));
    Select(index);
}

void CFavoriteSummary::OnExport() {
    const size_t index = Selected();
    if (index <= CFavoriteList::kStandard)
        return;
    const std::wstring &extension = m_favorites.Extension();
    auto chosen =
        DsChooseFile(Hwnd(), EFileChoice::Save, LoadResString(m_module, IDS_FAVORITE_FILTER),
                     FileNameOf(m_favorites.FileOf(index)), extension.c_str());
    if (!chosen)
        return;
    if (!HasExtension(*chosen, extension)) {
        // The dialog asked about the name as typed, not about this one.
        *chosen += L"." + extension;
        if (FileExists(*chosen) &&
            Tell(IDS_FAVORITE_REPLACE_FILE, *chosen, MB_YESNO | MB_ICONQUESTION) != IDYES)
            return;
    }
    // The copy is named after its file; the favourite in the list keeps its own.
    CFavoriteInfo copy = m_favorites.At(index);
    copy.Name = CFavoriteList::NameOf(*chosen);
    if (!CFavoriteList::WriteFile(*chosen, copy))
        Tell(IDS_FAVORITE_WRITE_FAILED, *chosen, MB_OK | MB_ICONEXCLAMATION);
}

void CFavoriteSummary::OnOk() {
    for (const std::wstring &file : m_toDelete)
        if (FileExists(file))
            DeleteFileW(file.c_str());
    m_selectedText = m_favorites.Text(Selected(), m_strings);
    EndModal(IDOK);
}

INT_PTR CFavoriteSummary::OnMessage(UINT msg, WPARAM wParam, LPARAM) {
    if (msg != WM_COMMAND)
        return FALSE;
    switch (LOWORD(wParam)) {
        case IDC_FAVORITE_ENTRIES:
            if (HIWORD(wParam) == LBN_SELCHANGE)
                Select(Selected());
            return TRUE;
        case IDC_FAVORITE_DELETE:
            OnDelete();
            return TRUE;
        case IDC_FAVORITE_IMPORT:
            OnImport();
            return TRUE;
        case IDC_FAVORITE_EXPORT:
            OnExport();
            return TRUE;
        case IDOK:
            OnOk();
            return TRUE;
        default:
            return FALSE;
    }
}
