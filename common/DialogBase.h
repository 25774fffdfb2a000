// The one binding of a modeless dialog to the object behind it: `this` is
// stored with the window when it is created and cleared with its last
// message, and every message in between goes to OnMessage. Each dialog of
// both programs derives from it instead of keeping a window procedure of
// its own.
#pragma once

#include <windows.h>

class CDialogBase {
public:
    CDialogBase() = default;
    // Destroys the window if it is still there. Derived classes that handle
    // WM_DESTROY destroy it in their own destructor, while they still exist.
    virtual ~CDialogBase();
    CDialogBase(const CDialogBase &) = delete;
    CDialogBase &operator=(const CDialogBase &) = delete;

    HWND Hwnd() const { return m_hwnd; }
    bool IsOpen() const { return m_hwnd != nullptr; }
    // The binding ends with the window's last message.
    void DestroyDialog();

protected:
    // Creates the modeless dialog of template `id`; false when Windows refused.
    bool CreateDialogFrom(HINSTANCE module, int id, HWND parent);
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual INT_PTR OnMessage(UINT, WPARAM, LPARAM) { return FALSE; }

private:
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND m_hwnd = nullptr;
};
