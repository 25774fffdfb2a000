// The source's modeless main dialog (template 1047): created on
// MSG_ENABLEDS, destroyed on MSG_DISABLEDS. This holds the window, its
// command buttons and the state the source asks about; the pages, the
// preview and the favourites attach to it.
#pragma once

#include <windows.h>

class CDataSource;

class CMainDlg {
public:
    enum class PointerMode { Select, ZoomIn, ZoomOut, Hand };

    explicit CMainDlg(CDataSource &source);
    ~CMainDlg();
    CMainDlg(const CMainDlg &) = delete;
    CMainDlg &operator=(const CMainDlg &) = delete;

    bool Create(HWND parent);
    void Show();
    void Destroy();
    HWND Hwnd() const { return m_hwnd; }
    void Enable(bool enable);
    void SetScanButtonText(const wchar_t *text);
    // Lets the dialog catch up after the source changed its state.
    void RefreshState();
    // Control key forwarded by the source's event filter.
    void OnControlKey(bool down);
    bool IsDialogMsg(const MSG *msg);
    // A prescan image the transfers deliver rows from.
    bool HasHeldImage() const { return false; }
    PointerMode Pointer() const { return m_pointer; }

    static CMainDlg *Registered() { return s_mainDlg; }

private:
    static INT_PTR CALLBACK DlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    BOOL OnInitDialog();
    void OnCommand(UINT id);

    static CMainDlg *s_mainDlg;
    CDataSource &m_source;
    HWND m_hwnd = nullptr;
    PointerMode m_pointer = PointerMode::Select;
};
