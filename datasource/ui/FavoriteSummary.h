// The favourites dialog (template 1049): every entry of the favourites row
// with the chosen one's name, comment and settings tree; deleting, importing
// and exporting favourite files. Deleting only notes the file: OK deletes
// what was noted, Cancel leaves every file where it was.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "DialogBase.h"
#include "FavoriteList.h"
#include "FavoriteTreeCtrl.h"
#include "StringSource.h"

class CFavoriteSummary : public CDialogBase {
public:
    CFavoriteSummary(HINSTANCE module, const IStringSource &strings, CFavoriteList favorites,
                     size_t selected);

    INT_PTR Run(HWND parent);
    // The entry chosen when the dialog closed, as the favourites row names it.
    const std::wstring &SelectedText() const { return m_selectedText; }

private:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    size_t Selected() const;
    void Select(size_t index);
    void OnDelete();
    void OnImport();
    void OnExport();
    void OnOk();
    int Tell(UINT textId, const std::wstring &detail, UINT flags);

    HINSTANCE m_module;
    const IStringSource &m_strings;
    CFavoriteList m_favorites;
    size_t m_initial;
    std::vector<std::wstring> m_toDelete;
    CFavoriteTreeCtrl m_tree;
    std::wstring m_selectedText;
};
