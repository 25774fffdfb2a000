// The favourite-saving dialog (template 1048): a name and a comment for the
// settings the pages show. "保存" checks them and, for a name already in
// use, asks whether to save over it; the dialog stays open after every
// refusal, so the user can correct the entry.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "DialogBase.h"

class CFavoriteStorage : public CDialogBase {
public:
    // `exists` says whether a favourite file of that name (ANSI) is listed.
    CFavoriteStorage(HINSTANCE module, std::function<bool(const std::string &)> exists);

    // IDOK when a name was accepted; Name() and Comment() then hold it.
    INT_PTR Run(HWND parent);
    // Trimmed, in the ANSI code page, as the file takes it.
    const std::string &Name() const { return m_name; }
    const std::string &Comment() const { return m_comment; }

private:
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // False keeps the dialog open.
    bool Accept();
    void Refuse(const std::wstring &text, int focus);

    HINSTANCE m_module;
    std::function<bool(const std::string &)> m_exists;
    std::string m_name;
    std::string m_comment;
};
