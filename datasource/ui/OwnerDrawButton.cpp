#include "OwnerDrawButton.h"

namespace {

constexpr int kPictureSize = 16;

// Two-colour frame lines: top and left in one colour, bottom and right in the other.
void Frame(HDC dc, RECT r, int topLeft, int bottomRight) {
    const RECT lines[] = {{r.left, r.top, r.right - 1, r.top + 1},
                          {r.left, r.top, r.left + 1, r.bottom - 1},
                          {r.left, r.bottom - 1, r.right, r.bottom},
                          {r.right - 1, r.top, r.right, r.bottom}};
    for (int i = 0; i < 4; ++i)
        ::FillRect(dc, &lines[i], ::GetSysColorBrush(i < 2 ? topLeft : bottomRight));
}

}  // namespace

void COwnerDrawButton::Attach(HWND button, HINSTANCE module, int bitmapId) {
    m_button = button;
    if (!button)
        return;
    m_bitmap.Reset(
        ::LoadImageW(module, MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    const LONG_PTR style = ::GetWindowLongPtrW(button, GWL_STYLE);
    ::SetWindowLongPtrW(button, GWL_STYLE, (style & ~LONG_PTR{BS_TYPEMASK}) | BS_OWNERDRAW);
    ::InvalidateRect(button, nullptr, TRUE);
}

void COwnerDrawButton::SetLatched(bool latched) {
    if (latched == m_latched)
        return;
    m_latched = latched;
    if (m_button)
        ::InvalidateRect(m_button, nullptr, TRUE);
}

void COwnerDrawButton::Draw(const DRAWITEMSTRUCT &item) const {
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    const bool sunken = m_latched || (item.itemState & ODS_SELECTED) != 0;
    ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_BTNFACE));
    if (sunken) {
        Frame(dc, r, COLOR_3DDKSHADOW, COLOR_3DHILIGHT);
        ::InflateRect(&r, -1, -1);
        Frame(dc, r, COLOR_3DSHADOW, COLOR_BTNFACE);
    } else {
        Frame(dc, r, COLOR_3DHILIGHT, COLOR_3DDKSHADOW);
        ::InflateRect(&r, -1, -1);
        Frame(dc, r, COLOR_BTNFACE, COLOR_3DSHADOW);
    }
    if (!m_bitmap)
        return;
    const int shift = sunken ? 1 : 0;
    const int x = (item.rcItem.left + item.rcItem.right - kPictureSize) / 2 + shift;
    const int y = (item.rcItem.top + item.rcItem.bottom - kPictureSize) / 2 + shift;
    const UINT state = (item.itemState & ODS_DISABLED) ? DSS_DISABLED : DSS_NORMAL;
    ::DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(m_bitmap.Get()), 0, x, y,
                 kPictureSize, kPictureSize, DST_BITMAP | state);
}
