// The one binding of a dialog to the object behind it: `this` is stored
// with the window when it is created and cleared with its last message, and
// every message in between goes to OnMessage. Each dialog of both programs
// derives from it instead of keeping a window procedure of its own; most
// are modeless, the few boxes that wait for the user run modally.
#pragma once

#include <windows.h>

#include <string>

class CDialogBase {
public:
    CDialogBase() = default;
    // Destroys the window if it is still there. Derived classes that handle
    // WM_DESTROY destroy it in their own destructor, while they still exist.
    virtual ~CDialogBase();
    CDialogBase(const CDialogBase &) = delete;
    CDialogBase &operator=(const CDialogBase &) = delete;

    HWND Hwnd() const { return m_hwnd; }
    // The whole text of a window, of any length.
    static std::wstring WindowText(HWND window);
    std::wstring ItemText(int id) const { return WindowText(::GetDlgItem(m_hwnd, id)); }
    bool IsOpen() const { return m_hwnd != nullptr; }
    // The binding ends with the window's last message. A modal dialog is
    // ended with IDCANCEL instead: its window belongs to the modal loop.
    void DestroyDialog();

protected:
    // Creates the modeless dialog of template `id`; false when Windows refused.
    bool CreateDialogFrom(HINSTANCE module, int id, HWND parent);
    // Runs the dialog of template `id` modally and returns the result given
    // to EndModal; -1 when Windows refused or this dialog is already open.
    INT_PTR RunModal(HINSTANCE module, int id, HWND parent);
    // Ends a modal run with `result`; a modeless dialog is destroyed, so a
    // dialog that can run either way closes through here.
    void EndModal(INT_PTR result);
    virtual BOOL OnInitDialog() { return TRUE; }
    // A modal dialog that leaves Cancel (IDCANCEL) unhandled is ended by it.
    virtual INT_PTR OnMessage(UINT, WPARAM, LPARAM) { return FALSE; }

private:
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND m_hwnd = nullptr;
    bool m_modal = false;
};
