// The source's modeless main dialog (template 1047): created on
// MSG_ENABLEDS, destroyed on MSG_DISABLEDS. This holds the window, its
// command buttons and the state the source asks about; the pages, the
// preview and the favourites attach to it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "DialogBase.h"
#include "MainDlgHost.h"
#include "WinHandles.h"

// The scan area the user selected on the preview, in pixels of the grid of
// `resolution` dots per inch; all zero means the whole page.
struct CScanArea {
    int32_t top = 0;
    int32_t left = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t resolution = 0;
};

class CMainDlg : public CDialogBase {
public:
    enum class PointerMode { Select, ZoomIn, ZoomOut, Hand };

    explicit CMainDlg(IMainDlgHost &source);
    ~CMainDlg() override;

    bool Create(HWND parent);
    void Show();
    void Enable(bool enable);
    void SetScanButtonText(const wchar_t *text);
    // Lets the dialog catch up after the source changed its state.
    void RefreshState();
    // Control key forwarded by the source's event filter.
    void OnControlKey(bool down);
    bool IsDialogMsg(const MSG *msg);
    // The prescan image (a packed DIB in movable global memory) that
    // transfers deliver rows from while the dialog holds it.
    bool HasHeldImage() const { return static_cast<bool>(m_heldImage); }
    HGLOBAL HeldImage() const { return m_heldImage.Get(); }
    // Takes ownership; null lets the image go.
    void SetHeldImage(HGLOBAL image) { m_heldImage.Reset(image); }
    // The area with its resolution; before the window sets one, the
    // current X resolution of the capabilities.
    CScanArea ScanArea() const;
    void SetScanArea(const CScanArea &area) { m_area = area; }
    PointerMode Pointer() const { return m_pointer; }

    static CMainDlg *Registered() { return s_mainDlg; }

private:
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    void OnCommand(UINT id);

    static CMainDlg *s_mainDlg;
    IMainDlgHost &m_source;
    PointerMode m_pointer = PointerMode::Select;
    CGlobalMem m_heldImage;
    CScanArea m_area;
};
