#include "DialogOperator.h"

#include <cwchar>

namespace {

// Captions of the source's own dialogs besides its main dialog, which the
// operator must never take for a message box.
constexpr const wchar_t *kProgressCaption = L"データ転送中";
constexpr const wchar_t *kSourceDialogCaptions[] = {kProgressCaption, L"処理中",
                                                    L"キャンセル処理中"};

// Cross-thread window queries must not hang the operator when the
// application's thread is busy outside a message loop.
constexpr UINT kQueryTimeoutMs = 500;

BOOL CALLBACK CollectDialog(HWND window, LPARAM param) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid == ::GetCurrentProcessId() && ::IsWindowVisible(window) && ClassOf(window) == L"#32770")
        reinterpret_cast<std::vector<HWND> *>(param)->push_back(window);
    return TRUE;
}

std::vector<HWND> ProcessDialogs() {
    std::vector<HWND> found;
    ::EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The message text of a box: its static controls that carry text (the icon
// is a static control without text).
std::wstring BoxText(HWND box) {
    std::wstring text;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (_wcsicmp(ClassOf(child).c_str(), L"Static") != 0)
            continue;
        std::wstring part = TextOf(child);
        if (part.empty())
            continue;
        if (!text.empty())
            text += L'\n';
        text += part;
    }
    return text;
}

}  // namespace

CDialogOperator::CDialogOperator() {
    m_stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_thread = ::CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr);
}

CDialogOperator::~CDialogOperator() {
    ::SetEvent(m_stop);
    if (m_thread) {
        ::WaitForSingleObject(m_thread, INFINITE);
        ::CloseHandle(m_thread);
    }
    ::CloseHandle(m_stop);
}

void CDialogOperator::IgnoreWindow(HWND window) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_ignored.insert(window);
}

void CDialogOperator::PressProgressCancelAfter(DWORD delayMs) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_cancelAt = ::GetTickCount() + delayMs;
    m_cancelArmed = true;
    m_cancelPressed = false;
}

bool CDialogOperator::ProgressCancelPressed() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_cancelPressed;
}

std::vector<std::wstring> CDialogOperator::MessageBoxTexts() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_texts;
}

void CDialogOperator::ForgetMessageBoxes() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_texts.clear();
}

HWND CDialogOperator::FindProgressDialog() {
    for (HWND dialog : ProcessDialogs()) {
        wchar_t caption[64] = {};
        ::GetWindowTextW(dialog, caption, 64);
        if (std::wcscmp(caption, kProgressCaption) == 0)
            return dialog;
    }
    return nullptr;
}

bool CDialogOperator::PressCancel(HWND dialog) {
    HWND button = dialog ? ::GetDlgItem(dialog, IDCANCEL) : nullptr;
    return button && ::PostMessageW(button, BM_CLICK, 0, 0);
}

DWORD WINAPI CDialogOperator::ThreadMain(LPVOID self) {
    static_cast<CDialogOperator *>(self)->Run();
    return 0;
}

void CDialogOperator::Run() {
    while (::WaitForSingleObject(m_stop, kLookIntervalMs) == WAIT_TIMEOUT)
        LookAtScreen();
}

void CDialogOperator::LookAtScreen() {
    {
        std::unique_lock<std::mutex> guard(m_lock);
        if (m_cancelArmed && static_cast<LONG>(::GetTickCount() - m_cancelAt) >= 0) {
            guard.unlock();
            if (PressCancel(FindProgressDialog())) {
                guard.lock();
                m_cancelArmed = false;
                m_cancelPressed = true;
            }
        }
    }
    {
        // A box that has gone may hand its handle value to a later one.
        std::lock_guard<std::mutex> guard(m_lock);
        std::erase_if(m_answered, [](HWND window) { return !::IsWindow(window); });
    }
    for (HWND dialog : ProcessDialogs())
        if (!IsSourceDialog(dialog))
            Answer(dialog);
}

bool CDialogOperator::IsSourceDialog(HWND window) const {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_ignored.empty() || m_ignored.count(window) || m_answered.count(window))
            return true;
    }
    wchar_t caption[64] = {};
    ::GetWindowTextW(window, caption, 64);
    for (const wchar_t *name : kSourceDialogCaptions)
        if (std::wcscmp(caption, name) == 0)
            return true;
    return false;
}

void CDialogOperator::Answer(HWND box) {
    std::wstring text = BoxText(box);
    DWORD_PTR defId = 0;
    ::SendMessageTimeoutW(box, DM_GETDEFID, 0, 0, SMTO_ABORTIFHUNG, kQueryTimeoutMs, &defId);
    const int buttonId = HIWORD(defId) == DC_HASDEFID ? LOWORD(defId) : IDOK;
    HWND button = ::GetDlgItem(box, buttonId);
    if (!button)
        return;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_texts.push_back(text);
        m_answered.insert(box);
    }
    ::PostMessageW(button, BM_CLICK, 0, 0);
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text),
                          SMTO_ABORTIFHUNG, kQueryTimeoutMs, &copied);
    return text;
}

std::string Utf8(const std::wstring &text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size,
                          nullptr, nullptr);
    return out;
}
