// Drives the main dialog and its pages as a user does, by control id: a
// list selection sends CBN_SELCHANGE, a click is BM_CLICK, typing replaces
// the text and then leaves the edit.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

class CDialogDriver {
public:
    // The page of `dialog` that holds a control only it has.
    static HWND Page(HWND dialog, int anchor, int tabsId) {
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (child != GetDlgItem(dialog, tabsId) && GetDlgItem(child, anchor))
                return child;
        return nullptr;
    }
    static void Select(HWND page, int id, int index) {
        SendDlgItemMessageW(page, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    }
    static int Selected(HWND page, int id) {
        return static_cast<int>(SendDlgItemMessageW(page, id, CB_GETCURSEL, 0, 0));
    }
    static void Press(HWND page, int id) { SendMessageW(GetDlgItem(page, id), BM_CLICK, 0, 0); }
    static bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
    static void Type(HWND page, int id, const wchar_t *text) {
        SetDlgItemTextW(page, id, text);
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, EN_KILLFOCUS),
                     reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    }
    static std::wstring Text(HWND page, int id) {
        wchar_t text[128] = {};
        GetDlgItemTextW(page, id, text, 128);
        return text;
    }
    static bool On(HWND page, int id) { return IsWindowEnabled(GetDlgItem(page, id)) != FALSE; }
    static bool Shown(HWND page, int id) {
        return (GetWindowLongW(GetDlgItem(page, id), GWL_STYLE) & WS_VISIBLE) != 0;
    }
};

// Drives a modal dialog from inside its own message loop: the steps run one
// per timer tick, each only while the dialog with the given caption is the
// active window, and each gets that dialog's window.
class CModalSteps {
public:
    using Step = std::function<void(HWND)>;

    // Calls `open` (which shows the dialog and returns when it has closed)
    // with the steps armed; returns how many of them ran.
    template <typename Open>
    static size_t Run(const wchar_t *caption, std::vector<Step> steps, Open &&open) {
        s_caption = caption;
        s_steps = std::move(steps);
        s_next = 0;
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, Tick);
        open();
        KillTimer(nullptr, timer);
        return s_next;
    }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        HWND box = GetActiveWindow();
        wchar_t title[64] = {};
        GetWindowTextW(box, title, 64);
        if (s_next < s_steps.size() && s_caption == title)
            s_steps[s_next++](box);
    }
    static inline std::wstring s_caption;
    static inline std::vector<Step> s_steps;
    static inline size_t s_next = 0;
};
