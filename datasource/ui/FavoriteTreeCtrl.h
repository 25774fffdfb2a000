// The read-only settings tree of the favourites dialog. It paints its items
// itself, so that a setting that differs from the standard favourite stands
// out: a leading "*" on a light blue ground.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "FavoriteTree.h"

class CFavoriteTreeCtrl {
public:
    static constexpr COLORREF kChangedBackground = RGB(222, 236, 255);

    CFavoriteTreeCtrl() = default;
    ~CFavoriteTreeCtrl();
    CFavoriteTreeCtrl(const CFavoriteTreeCtrl &) = delete;
    CFavoriteTreeCtrl &operator=(const CFavoriteTreeCtrl &) = delete;

    // The tree view control of the dialog template.
    void Attach(HWND tree);
    // Replaces the items, every group and setting expanded.
    void Show(std::vector<CFavoriteTree::SLine> lines);

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                 DWORD_PTR self);
    void Paint();
    void PaintItem(HDC dc, HTREEITEM item);

    HWND m_tree = nullptr;
    std::vector<CFavoriteTree::SLine> m_lines;
};
