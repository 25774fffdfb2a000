#include "FavoriteTreeCtrl.h"

#include <algorithm>
#include <cstring>

CFavoriteTreeCtrl::~CFavoriteTreeCtrl() {
    if (m_tree)
        RemoveWindowSubclass(m_tree, Proc, 0);
}

void CFavoriteTreeCtrl::Attach(HWND tree) {
    m_tree = tree;
    SetWindowSubclass(tree, Proc, 0, reinterpret_cast<DWORD_PTR>(this));
}

void CFavoriteTreeCtrl::Show(std::vector<CFavoriteTree::SLine> lines) {
    m_lines = std::move(lines);
    SendMessageW(m_tree, WM_SETREDRAW, FALSE, 0);
    SendMessageW(m_tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    // The latest item of each level is the parent of the next deeper one.
    HTREEITEM parents[3] = {TVI_ROOT, TVI_ROOT, TVI_ROOT};
    std::vector<HTREEITEM> items;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        const int level = std::clamp(m_lines[i].level, 0, 2);
        TVINSERTSTRUCTW insert{};
        insert.hParent = level == 0 ? TVI_ROOT : parents[level - 1];
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM;
        insert.item.pszText = m_lines[i].text.data();
        insert.item.lParam = static_cast<LPARAM>(i);
        parents[level] = reinterpret_cast<HTREEITEM>(
            SendMessageW(m_tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
        items.push_back(parents[level]);
    }
    for (HTREEITEM item : items)
        SendMessageW(m_tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
    if (!items.empty())
        SendMessageW(m_tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(items.front()));
    SendMessageW(m_tree, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(m_tree, nullptr, TRUE);
}

void CFavoriteTreeCtrl::PaintItem(HDC dc, HTREEITEM item) {
    TVITEMW info{};
    info.mask = TVIF_PARAM | TVIF_STATE;
    info.hItem = item;
    info.stateMask = TVIS_SELECTED;
    if (!SendMessageW(m_tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info)) ||
        info.lParam < 0 || static_cast<size_t>(info.lParam) >= m_lines.size())
        return;
    const CFavoriteTree::SLine &line = m_lines[static_cast<size_t>(info.lParam)];
    // The message takes the item in the rectangle it fills.
    RECT r{};
    static_assert(sizeof(r) >= sizeof(item));
    std::memcpy(&r, &item, sizeof(item));
    if (!SendMessageW(m_tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r)))
        return;
    const std::wstring text = line.changed ? L"*" + line.text : line.text;
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    r.right = r.left + extent.cx + 4;
    const bool selected = (info.state & TVIS_SELECTED) != 0;
    COLORREF back = GetSysColor(COLOR_WINDOW), fore = GetSysColor(COLOR_WINDOWTEXT);
    if (selected) {
        back = GetSysColor(COLOR_HIGHLIGHT);
        fore = GetSysColor(COLOR_HIGHLIGHTTEXT);
    } else if (line.changed) {
        back = kChangedBackground;
    }
    SetBkColor(dc, back);
    SetTextColor(dc, fore);
    ExtTextOutW(dc, r.left + 2, r.top + (r.bottom - r.top - extent.cy) / 2, ETO_OPAQUE, &r,
                text.c_str(), static_cast<UINT>(text.size()), nullptr);
}

void CFavoriteTreeCtrl::Paint() {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(m_tree, &ps);
    RECT client{};
    GetClientRect(m_tree, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    auto font = reinterpret_cast<HFONT>(SendMessageW(m_tree, WM_GETFONT, 0, 0));
    HGDIOBJ before = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    for (auto item = reinterpret_cast<HTREEITEM>(
             SendMessageW(m_tree, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0));
         item; item = reinterpret_cast<HTREEITEM>(SendMessageW(
                   m_tree, TVM_GETNEXTITEM, TVGN_NEXTVISIBLE, reinterpret_cast<LPARAM>(item))))
        PaintItem(dc, item);
    SelectObject(dc, before);
    EndPaint(m_tree, &ps);
}

LRESULT CALLBACK CFavoriteTreeCtrl::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR self) {
    auto *tree = reinterpret_cast<CFavoriteTreeCtrl *>(self);
    switch (msg) {
        case WM_PAINT:
            tree->Paint();
            return 0;
        case WM_ERASEBKGND:
            // Paint fills the whole control.
            return 1;
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, Proc, 0);
            tree->m_tree = nullptr;
            break;
        default:
            break;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}
