#include "ScanAppDlg.h"

#include <algorithm>

#include "AboutDlg.h"
#include "DiagLog.h"
#include "OverWriteDlg.h"
#include "PageSaver.h"
#include "PathText.h"
#include "ResString.h"
#include "SaveFileDlg.h"
#include "ScanUiMessages.h"
#include "SettingsSheet.h"
#include "res/scanapp_ids.h"

namespace {
constexpr DWORD kMainStyle = 0x90CA0000;  // popup, visible, caption, system menu, minimise box
constexpr int kMainWidth = 300;
constexpr int kMainHeight = 100;
// Room beside the two menu titles so that neither wraps to a second line.
constexpr int kMenuSlack = 5;

// The first top-level window whose parent is `owner`: the source's dialog.
struct SOwnedSearch {
    HWND owner;
    HWND found;
};
BOOL CALLBACK FindOwned(HWND window, LPARAM param) {
    auto *search = reinterpret_cast<SOwnedSearch *>(param);
    if (::GetParent(window) != search->owner)
        return TRUE;
    search->found = window;
    return FALSE;
}
}  // namespace

CScanAppDlg::CScanAppDlg(HINSTANCE module, std::string profile, std::string defaults)
    : m_module(module),
      m_profile(std::move(profile)),
      m_twain(module, *this),
      m_conversion(module) {
    m_settings.Load(module, m_profile, defaults);
}

CScanAppDlg::~CScanAppDlg() {
    if (!m_hwnd)
        return;
    // The source's dialog belongs to this window and would go before it:
    // the source is let go first, while its dialog still exists.
    m_twain.CloseQuietly();
    ::DestroyWindow(m_hwnd);
}

bool CScanAppDlg::Create() {
    m_icon = static_cast<HICON>(::LoadImageW(m_module, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                             ::GetSystemMetrics(SM_CXICON),
                                             ::GetSystemMetrics(SM_CYICON), LR_SHARED));
    m_smallIcon = static_cast<HICON>(::LoadImageW(m_module, MAKEINTRESOURCEW(IDR_MAINFRAME),
                                                  IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                  ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = m_module;
    wc.hIcon = m_icon;
    wc.hIconSm = m_smallIcon;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    m_accel = ::LoadAcceleratorsW(m_module, MAKEINTRESOURCEW(IDR_ACCELERATOR));
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const std::wstring title = LoadResString(m_module, IDS_APP_TITLE);
    ::CreateWindowExW(0, kClassName, title.c_str(), kMainStyle, work.left, work.top, kMainWidth,
                      kMainHeight, nullptr, ::LoadMenuW(m_module, MAKEINTRESOURCEW(IDR_MAINFRAME)),
                      m_module, this);
    return m_hwnd != nullptr;
}

LRESULT CALLBACK CScanAppDlg::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto *self = reinterpret_cast<CScanAppDlg *>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        self =
            static_cast<CScanAppDlg *>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams);
        self->m_hwnd = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self)
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    const LRESULT result = self->OnMessage(msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->m_hwnd = nullptr;
    }
    return result;
}

LRESULT CScanAppDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == CScanUiMessages::ParamRequest()) {
        OnParamRequest(reinterpret_cast<HGLOBAL>(wParam));
        return 0;
    }
    switch (msg) {
        case WM_CREATE:
            OnCreate();
            return 0;
        case WM_ACTIVATE: {
            const LRESULT result = ::DefWindowProcW(m_hwnd, msg, wParam, lParam);
            if (LOWORD(wParam) != WA_INACTIVE)
                OnActivate();
            return result;
        }
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<LRESULT>(m_icon);
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) >= IDM_ABOUTBOX && (wParam & 0xFFF0) <= IDM_ABOUTBOX + 15) {
                OnAbout();
                return 0;
            }
            break;
        case WM_COMMAND:
            if (OnCommand(LOWORD(wParam)))
                return 0;
            break;
        case WM_DESTROY:
            OnDestroy();
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(m_hwnd, msg, wParam, lParam);
}

void CScanAppDlg::OnCreate() {
    if (HMENU system = ::GetSystemMenu(m_hwnd, FALSE)) {
        const std::wstring item =
            LoadResString(m_module, IDS_APP_TITLE) + LoadResString(m_module, IDS_ABOUT_ITEM);
        ::AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(system, MF_STRING, IDM_ABOUTBOX, item.c_str());
    }
    ::SendMessageW(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    ::SendMessageW(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon));
    FitToMenu();
    m_twain.ListAndChoose(m_settings.CurrentDs);
}

// No client area: the window is its caption and its menu bar, wide enough
// for both menu titles on one line.
void CScanAppDlg::FitToMenu() {
    RECT client{};
    ::GetClientRect(m_hwnd, &client);
    int menuWidth = 0;
    HMENU menu = ::GetMenu(m_hwnd);
    for (int i = 0; i < 2; ++i) {
        RECT item{};
        if (menu && ::GetMenuItemRect(m_hwnd, menu, i, &item))
            menuWidth += item.right - item.left;
    }
    const int width = std::max(static_cast<int>(client.right),
                               menuWidth + ::GetSystemMetrics(SM_CYMENU) + kMenuSlack);
    RECT outer{0, 0, width, 0};
    ::AdjustWindowRectEx(&outer, static_cast<DWORD>(::GetWindowLongW(m_hwnd, GWL_STYLE)), TRUE,
                         static_cast<DWORD>(::GetWindowLongW(m_hwnd, GWL_EXSTYLE)));
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CScanAppDlg::OnActivate() {
    if (m_firstActivation && m_settings.Startup == 1) {
        WriteLog("startup scan");
        ::PostMessageW(m_hwnd, WM_COMMAND, ID_SCAN, 0);
    }
    m_firstActivation = false;
    if (m_twain.Enabled())
        BringSourceForward();
}

void CScanAppDlg::BringSourceForward() {
    SOwnedSearch find{m_hwnd, nullptr};
    ::EnumWindows(FindOwned, reinterpret_cast<LPARAM>(&find));
    if (find.found)
        ::SetForegroundWindow(find.found);
}

void CScanAppDlg::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hwnd, &ps);
    if (::IsIconic(m_hwnd)) {
        RECT rect{};
        ::GetClientRect(m_hwnd, &rect);
        const int x = (rect.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
        const int y = (rect.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
        ::DrawIcon(dc, x, y, m_icon);
    }
    ::EndPaint(m_hwnd, &ps);
}

void CScanAppDlg::OnDestroy() {
    // A source still open when the program ends is closed before its
    // manager goes, so that neither is left running code of a freed library.
    m_twain.CloseQuietly();
    if (!m_settings.Write(m_module, m_profile))
        WriteLog("settings not saved to %s", m_profile.c_str());
    ::PostQuitMessage(0);
}

bool CScanAppDlg::OnCommand(UINT id) {
    switch (id) {
        case ID_SCAN:
            OnScan();
            return true;
        case ID_SETTINGS:
            OnSettings();
            return true;
        case ID_APP_EXIT_CMD:
            WriteLog("exit command");
            ::PostQuitMessage(0);
            return true;
        case IDM_ABOUTBOX:
            OnAbout();
            return true;
        default:
            return false;
    }
}

void CScanAppDlg::OnParamRequest(HGLOBAL block) {
    if (!block)
        return;
    auto *details = static_cast<SCANARGUMENTDETAILS *>(::GlobalLock(block));
    if (!details)
        return;
    m_sourceUi = CScanUiMessages::WindowFromBlock(details->dialogWindow);
    details->unit = m_settings.Unit;
    ::GlobalUnlock(block);
    WriteLog("unit request answered with %d", m_settings.Unit);
    ::SendMessageW(m_sourceUi, CScanUiMessages::ParamResponse(), reinterpret_cast<WPARAM>(block),
                   0);
}

void CScanAppDlg::EnableSourceProgress(bool enable) {
    if (m_sourceUi && ::IsWindow(m_sourceUi))
        ::PostMessageW(m_sourceUi, CScanUiMessages::EnableProgress(), enable ? 1 : 0, 0);
}

void CScanAppDlg::ShowTwainMessage(const std::wstring &text, bool duringTransfer) {
    if (duringTransfer)
        EnableSourceProgress(false);
    const std::wstring title = LoadResString(m_module, IDS_APP_TITLE);
    // A box enables its owner when it closes; the main window must stay
    // disabled while the source has the user.
    const BOOL wasEnabled = ::IsWindowEnabled(m_hwnd);
    ::MessageBoxW(m_hwnd, text.c_str(), title.c_str(), MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
    ::EnableWindow(m_hwnd, wasEnabled);
    if (duringTransfer)
        EnableSourceProgress(true);
}

void CScanAppDlg::OnScan() {
    WriteLog("scan command");
    if (m_twain.Enabled())
        return;
    if (m_twain.StartScan() != 0)
        return;
    m_notInModal = 1;
    ::EnableWindow(m_hwnd, FALSE);
}

template <typename Run>
auto CScanAppDlg::Modal(Run run) {
    m_notInModal = 0;
    const BOOL wasEnabled = ::IsWindowEnabled(m_hwnd);
    const auto result = run();
    ::EnableWindow(m_hwnd, wasEnabled);
    m_notInModal = 1;
    return result;
}

void CScanAppDlg::OnXferReady() {
    WriteLog("MSG_XFERREADY");
    CSaveFileDlg dialog(m_module, m_settings);
    const bool chosen = Modal([&] { return dialog.Run(m_hwnd); });
    if (!chosen) {
        WriteLog("save dialog cancelled");
        // No page is wanted now; the source gets its dialog back.
        try {
            if (!m_twain.endXfer())
                m_twain.resetXfers();
        } catch (int) {
        }
        return;
    }
    const std::string target = CPathText::Utf8(dialog.Path());
    m_settings.Path = CPathText::Ansi(CPathText::Wide(CSaveOptions::Folder(target)));
    m_settings.Type = dialog.Type();
    const CScanSettings &v = dialog.Values();
    const SSaveValues values{v.JpegQuality, v.BwCompression,  v.GrayCompression,
                             v.Encode,      v.PdfJpegQuality, v.Compression,
                             v.Correction,  v.AskCompression};
    WriteLog("save as type %d: %s", m_settings.Type, target.c_str());
    CPageSaver saver(m_twain, *this, m_files, m_conversion);
    saver.Run(CSaveOptions(m_settings.Type, values), target);
    WriteLog("saving done, %d files", static_cast<int>(saver.Written().size()));
}

EOverwrite CScanAppDlg::AskOverwrite(const std::string &name, bool extraButtons) {
    EnableSourceProgress(false);
    COverWriteDlg dialog(m_module, CPathText::Wide(name), extraButtons);
    const bool yes = Modal([&] { return dialog.Run(m_hwnd); });
    EnableSourceProgress(true);
    WriteLog("overwrite %s: %s", name.c_str(),
             dialog.ReplaceAll()  ? "all"
             : yes                ? "yes"
             : dialog.Cancelled() ? "cancel"
                                  : "no");
    if (yes)
        return dialog.ReplaceAll() ? EOverwrite::All : EOverwrite::Yes;
    return dialog.Cancelled() ? EOverwrite::Cancel : EOverwrite::No;
}

void CScanAppDlg::ShowMessage(int id, const std::string &name) {
    std::wstring text = LoadResString(m_module, static_cast<UINT>(id));
    const std::wstring wideName = CPathText::Wide(name);
    for (const wchar_t *marker : {L"%1", L"%s"}) {
        const size_t at = text.find(marker);
        if (at != std::wstring::npos)
            text.replace(at, 2, wideName);
    }
    WriteLog("message %d %s", id, name.c_str());
    ShowSaveBox(text);
}

void CScanAppDlg::ShowFailure(const std::string &what) {
    WriteLog("failure: %s", what.c_str());
    ShowSaveBox(CPathText::Wide(what));
}

void CScanAppDlg::ShowSaveBox(const std::wstring &text) {
    Modal([&] {
        ShowTwainMessage(text, true);
        return 0;
    });
}

void CScanAppDlg::Log(const std::string &line) {
    WriteLog("%s", line.c_str());
}

void CScanAppDlg::OnCloseRequest() {
    WriteLog("MSG_CLOSEDSREQ");
    // disableDS re-enables the main window the moment the source lets go,
    // even when a later step fails.
    if (m_twain.disableDS() != 0)
        return;
    ::EnableWindow(m_hwnd, TRUE);
    if (m_twain.closeDS() != 0)
        return;
    m_twain.closeDSM();
}

bool CScanAppDlg::PreTranslateMessage(MSG &msg) {
    if (m_twain.Enabled()) {
        TW_UINT16 twMessage = MSG_NULL;
        const TW_UINT16 rc = m_twain.processEvent(msg, twMessage);
        if (twMessage == MSG_XFERREADY) {
            OnXferReady();
        } else if (twMessage == MSG_CLOSEDSREQ) {
            if (m_notInModal)
                OnCloseRequest();
            else
                WriteLog("MSG_CLOSEDSREQ while a box is up: ignored");
        }
        if (rc != TWRC_NOTDSEVENT)
            return true;
    }
    if (m_accel && ::TranslateAcceleratorW(m_hwnd, m_accel, &msg))
        return true;
    return ::IsDialogMessageW(m_hwnd, &msg) != FALSE;
}

void CScanAppDlg::OnSettings() {
    CSettingsSheet sheet(m_module, m_settings, m_twain.Sources(), m_twain.Current());
    if (!sheet.Run(m_hwnd))
        return;
    // The sheet has no control for the last save's folder and type, nor
    // for the source's name, which follows the chosen entry.
    CScanSettings chosen = sheet.Values();
    chosen.Path = m_settings.Path;
    chosen.Type = m_settings.Type;
    chosen.CurrentDs = m_settings.CurrentDs;
    m_settings = chosen;
    if (const auto source = sheet.ChosenSource()) {
        m_twain.SetCurrent(*source);
        m_settings.CurrentDs = m_twain.Sources().ProductName(*source);
    }
    WriteLog("settings: unit %d, startup %d, current DS %s", m_settings.Unit, m_settings.Startup,
             m_settings.CurrentDs.c_str());
}

void CScanAppDlg::OnAbout() {
    m_notInModal = 0;
    CAboutDlg about(m_module);
    about.Run(m_hwnd);
    m_notInModal = 1;
}
