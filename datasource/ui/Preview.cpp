#include "Preview.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "DiagLog.h"

namespace {

constexpr wchar_t kClassName[] = L"CorvPreview";
constexpr int kHandleSize = 7;

RECT ChildRect(HWND parent, HWND child) {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&r), 2);
    return r;
}

HMODULE ModuleOfThisCode() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&ModuleOfThisCode), &module);
    return module;
}

// The parts of a packed DIB the preview draws from.
struct SDibParts {
    const BITMAPINFOHEADER *header = nullptr;
    const RGBQUAD *colours = nullptr;
    uint32_t colourCount = 0;
    const uint8_t *bits = nullptr;
    uint32_t stride = 0;
    int32_t width = 0;
    int32_t height = 0;  // always positive
    bool bottomUp = true;
};

bool ParseDib(const uint8_t *block, size_t size, SDibParts &out) {
    if (!block || size < sizeof(BITMAPINFOHEADER))
        return false;
    BITMAPINFOHEADER h;
    std::memcpy(&h, block, sizeof(h));
    const int bits = h.biBitCount;
    if (h.biSize < sizeof(h) || h.biSize > size || h.biWidth <= 0 || h.biHeight == 0 ||
        h.biHeight == INT32_MIN || h.biCompression != BI_RGB ||
        (bits != 1 && bits != 8 && bits != 24))
        return false;
    const uint64_t colours =
        bits <= 8 ? (h.biClrUsed != 0 && h.biClrUsed < (1u << bits) ? h.biClrUsed : 1u << bits) : 0;
    const uint64_t stride = ((uint64_t{static_cast<uint32_t>(h.biWidth)} * bits + 31) / 32) * 4;
    const uint64_t height = h.biHeight < 0 ? -int64_t{h.biHeight} : h.biHeight;
    const uint64_t offset = h.biSize + 4 * colours;
    if (offset + stride * height > size)
        return false;
    out.header = reinterpret_cast<const BITMAPINFOHEADER *>(block);
    out.colours = reinterpret_cast<const RGBQUAD *>(block + h.biSize);
    out.colourCount = static_cast<uint32_t>(colours);
    out.bits = block + offset;
    out.stride = static_cast<uint32_t>(stride);
    out.width = h.biWidth;
    out.height = static_cast<int32_t>(height);
    out.bottomUp = h.biHeight > 0;
    return true;
}

HPALETTE PaletteFor(const SDibParts &dib, HDC screen) {
    if (dib.colourCount == 0) {
        // A true-colour picture on a palette screen looks best halftoned.
        return (::GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) ? ::CreateHalftonePalette(screen)
                                                                  : nullptr;
    }
    std::vector<uint8_t> storage(sizeof(LOGPALETTE) + dib.colourCount * sizeof(PALETTEENTRY));
    auto *palette = reinterpret_cast<LOGPALETTE *>(storage.data());
    palette->palVersion = 0x300;
    palette->palNumEntries = static_cast<WORD>(dib.colourCount);
    for (uint32_t i = 0; i < dib.colourCount; ++i)
        palette->palPalEntry[i] =
            PALETTEENTRY{dib.colours[i].rgbRed, dib.colours[i].rgbGreen, dib.colours[i].rgbBlue, 0};
    return ::CreatePalette(palette);
}

}  // namespace

CPreview::~CPreview() {
    Destroy();
}

bool CPreview::Create(HWND dialog, int id, IPreviewOwner &owner) {
    m_owner = &owner;
    HWND frame = ::GetDlgItem(dialog, id);
    if (!frame)
        return false;
    const HINSTANCE module = ModuleOfThisCode();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (!::GetClassInfoExW(module, kClassName, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &CPreview::Proc;
        wc.hInstance = module;
        wc.lpszClassName = kClassName;
        if (!::RegisterClassExW(&wc))
            return false;
    }
    const RECT r = ChildRect(dialog, frame);
    if (!::CreateWindowExW(WS_EX_CLIENTEDGE, kClassName, L"",
                           WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL, r.left, r.top,
                           r.right - r.left, r.bottom - r.top, dialog,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module, this))
        return false;
    ::SetWindowPos(Hwnd(), frame, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::DestroyWindow(frame);
    UpdateScrollBars();
    return true;
}

void CPreview::Destroy() {
    if (m_hwnd)
        ::DestroyWindow(m_hwnd);
    m_view.Reset();
    m_viewValid = false;
    // The class goes with its last window: the module that registered it
    // may be unloaded and loaded again elsewhere before the next dialog.
    ::UnregisterClassW(kClassName, ModuleOfThisCode());
}

// ---- The image ---------------------------------------------------------------------

bool CPreview::SetImage(HGLOBAL dib) {
    Clear();
    m_dib.Reset(dib);
    if (!BuildBitmap()) {
        WriteLog("CPreview::SetImage(), the image cannot be shown.");
        Clear();
        return false;
    }
    const SIZE c = Client();
    m_zoom = CPreviewRules::InitialZoom(m_width, m_height, c.cx, c.cy);
    UpdateScrollBars();
    Invalidate();
    if (m_owner)
        m_owner->PreviewMoved(m_zoom, 0, 0);
    return true;
}

void CPreview::Clear() {
    m_dib.Reset();
    m_bitmap.Reset();
    m_palette.Reset();
    m_width = m_height = 0;
    m_zoom = CPreviewRules::kNoImageZoom;
    m_origin = POINT{};
    m_selection = SPreviewArea{};
    m_drag = EDrag::None;
    UpdateScrollBars();
    Invalidate();
}

bool CPreview::BuildBitmap() {
    if (!m_dib)
        return false;
    CGlobalLock<uint8_t> block(m_dib.Get());
    SDibParts dib;
    if (!block || !ParseDib(block.Get(), ::GlobalSize(m_dib.Get()), dib))
        return false;
    CWindowDc screen(nullptr);
    m_bitmap.Reset(::CreateCompatibleBitmap(screen.Get(), dib.width, dib.height));
    if (!m_bitmap)
        return false;
    m_palette.Reset(PaletteFor(dib, screen.Get()));
    // One row at a time, as the picture is converted for this screen: a
    // whole-page copy would double the prescan's memory for a moment.
    std::vector<uint8_t> info(dib.header->biSize + 4 * dib.colourCount);
    std::memcpy(info.data(), dib.header, info.size());
    auto *header = reinterpret_cast<BITMAPINFOHEADER *>(info.data());
    header->biHeight = dib.height;
    std::vector<uint8_t> row(dib.stride);
    for (int32_t stored = 0; stored < dib.height; ++stored) {
        std::memcpy(row.data(), dib.bits + uint64_t{dib.stride} * stored, dib.stride);
        // The server's colour rows are red, green, blue; a DIB's blue first.
        if (dib.header->biBitCount == 24)
            for (int32_t x = 0; x < dib.width; ++x)
                std::swap(row[3 * x], row[3 * x + 2]);
        const int32_t fromBottom = dib.bottomUp ? stored : dib.height - 1 - stored;
        if (::SetDIBits(screen.Get(), static_cast<HBITMAP>(m_bitmap.Get()),
                        static_cast<UINT>(fromBottom), 1, row.data(),
                        reinterpret_cast<BITMAPINFO *>(info.data()), DIB_RGB_COLORS) != 1)
            return false;
    }
    m_width = dib.width;
    m_height = dib.height;
    return true;
}

// ---- Geometry ---------------------------------------------------------------------------

SIZE CPreview::Client() const {
    RECT r{};
    if (Hwnd())
        ::GetClientRect(Hwnd(), &r);
    return SIZE{r.right, r.bottom};
}

bool CPreview::OverImage(POINT at) const {
    return HasImage() && at.x >= 0 && at.y >= 0 &&
           at.x < CPreviewRules::EdgeToScreen(m_width, m_origin.x, m_zoom) &&
           at.y < CPreviewRules::EdgeToScreen(m_height, m_origin.y, m_zoom);
}

RECT CPreview::SelectionRect() const {
    if (m_selection.width <= 0 || m_selection.height <= 0)
        return RECT{};
    return RECT{
        CPreviewRules::EdgeToScreen(m_selection.left, m_origin.x, m_zoom),
        CPreviewRules::EdgeToScreen(m_selection.top, m_origin.y, m_zoom),
        CPreviewRules::EdgeToScreen(m_selection.left + m_selection.width, m_origin.x, m_zoom),
        CPreviewRules::EdgeToScreen(m_selection.top + m_selection.height, m_origin.y, m_zoom)};
}

RECT CPreview::HandleRect(int handle) const {
    const RECT r = SelectionRect();
    // Handles sit inside the rectangle, so those on the image's edges stay visible.
    const LONG xs[] = {r.left, r.right - kHandleSize, (r.left + r.right - kHandleSize) / 2};
    const LONG ys[] = {r.top, r.bottom - kHandleSize, (r.top + r.bottom - kHandleSize) / 2};
    // Corners top-left, top-right, bottom-right, bottom-left; then the
    // middles of the top, right, bottom and left edges.
    static const int kColumn[] = {0, 1, 1, 0, 2, 1, 2, 0};
    static const int kRow[] = {0, 0, 1, 1, 0, 2, 1, 2};
    const LONG x = xs[kColumn[handle]];
    const LONG y = ys[kRow[handle]];
    return RECT{x, y, x + kHandleSize, y + kHandleSize};
}

int CPreview::HandleAt(POINT at) const {
    if (m_selection.width <= 0 || m_selection.height <= 0)
        return -1;
    for (int h = 0; h < 8; ++h) {
        const RECT r = HandleRect(h);
        if (::PtInRect(&r, at))
            return h;
    }
    return -1;
}

// ---- Zoom, scrolling, selection ---------------------------------------------------

void CPreview::ZoomAt(int32_t zoom, POINT anchor) {
    zoom = std::clamp(zoom, CPreviewRules::kMinZoom, CPreviewRules::kMaxZoom);
    if (!HasImage() || zoom == m_zoom)
        return;
    const SIZE c = Client();
    m_origin.x = CPreviewRules::OriginAfterZoom(m_origin.x, anchor.x, m_zoom, zoom, m_width, c.cx);
    m_origin.y = CPreviewRules::OriginAfterZoom(m_origin.y, anchor.y, m_zoom, zoom, m_height, c.cy);
    m_zoom = zoom;
    UpdateScrollBars();
    Invalidate();
    if (m_owner)
        m_owner->PreviewMoved(m_zoom, m_origin.x, m_origin.y);
    RefreshCursor();
}

void CPreview::SetOrigin(int32_t x, int32_t y) {
    if (x == m_origin.x && y == m_origin.y)
        return;
    m_origin = POINT{x, y};
    UpdateScrollBars();
    Invalidate();
    if (m_owner)
        m_owner->PreviewMoved(m_zoom, x, y);
}

void CPreview::SetSelection(const SPreviewArea &area) {
    m_selection = area;
    if (Hwnd())
        ::InvalidateRect(Hwnd(), nullptr, FALSE);
}

void CPreview::UpdateScrollBars() {
    if (!Hwnd())
        return;
    const SIZE c = Client();
    const struct {
        int bar;
        int32_t image, client, origin;
    } axes[] = {{SB_HORZ, m_width, c.cx, m_origin.x}, {SB_VERT, m_height, c.cy, m_origin.y}};
    for (const auto &a : axes) {
        SCROLLINFO si{};
        si.cbSize = sizeof(si);
        // Always there, only disabled: the client keeps its size, and with it the zoom.
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
        si.nMax = HasImage() ? CPreviewRules::ToScreen(a.image, m_zoom) - 1 : 0;
        si.nPage = static_cast<UINT>(std::max<int32_t>(a.client, 0));
        si.nPos = CPreviewRules::ToScreen(a.origin, m_zoom);
        ::SetScrollInfo(Hwnd(), a.bar, &si, TRUE);
    }
}

void CPreview::OnScroll(int bar, int code) {
    if (!HasImage())
        return;
    const SIZE c = Client();
    const bool horizontal = bar == SB_HORZ;
    const int32_t image = horizontal ? m_width : m_height;
    const int32_t client = horizontal ? c.cx : c.cy;
    int64_t origin = horizontal ? m_origin.x : m_origin.y;
    const int32_t page = CPreviewRules::ToImage(client, m_zoom);
    switch (code) {
        case SB_LINEUP:
            origin -= CPreviewRules::kLineStep;
            break;
        case SB_LINEDOWN:
            origin += CPreviewRules::kLineStep;
            break;
        case SB_PAGEUP:
            origin -= page;
            break;
        case SB_PAGEDOWN:
            origin += page;
            break;
        case SB_TOP:
            origin = 0;
            break;
        case SB_BOTTOM:
            origin = image;
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            SCROLLINFO si{};
            si.cbSize = sizeof(si);
            si.fMask = SIF_TRACKPOS;
            ::GetScrollInfo(Hwnd(), bar, &si);
            origin = CPreviewRules::ToImage(si.nTrackPos, m_zoom);
            break;
        }
        default:
            return;
    }
    const int32_t clamped = CPreviewRules::ClampOrigin(
        static_cast<int32_t>(std::clamp<int64_t>(origin, 0, image)), image, client, m_zoom);
    if (horizontal)
        SetOrigin(clamped, m_origin.y);
    else
        SetOrigin(m_origin.x, clamped);
}

// ---- Mouse ---------------------------------------------------------------------------

void CPreview::OnButtonDown(POINT at, bool control) {
    if (!HasImage() || !m_owner)
        return;
    const EPointerMode mode = m_owner->Pointer();
    if (mode == EPointerMode::Select) {
        const int handle = HandleAt(at);
        if (handle < 0 && !OverImage(at))
            return;
        if (handle >= 0) {
            m_track = RECT{m_selection.left, m_selection.top, m_selection.left + m_selection.width,
                           m_selection.top + m_selection.height};
            m_moveLeft = handle == 0 || handle == 3 || handle == 7;
            m_moveRight = handle == 1 || handle == 2 || handle == 5;
            m_moveTop = handle == 0 || handle == 1 || handle == 4;
            m_moveBottom = handle == 2 || handle == 3 || handle == 6;
        } else {
            // A new rubber band anchored at the pointer; it may be drawn in
            // any direction.
            m_moveLeft = m_moveTop = m_moveRight = m_moveBottom = true;
            Track(at);
            m_moveLeft = m_moveTop = false;
        }
        m_drag = EDrag::Track;
        ::SetCapture(Hwnd());
        return;
    }
    if (!OverImage(at))
        return;
    if (mode == EPointerMode::Hand) {
        m_drag = EDrag::Pan;
        m_last = at;
        ::SetCapture(Hwnd());
        RefreshCursor();
        return;
    }
    // The zoom tool zooms out while Control is held at the click.
    ZoomAt(CPreviewRules::StepZoom(m_zoom, !control), at);
}

void CPreview::Track(POINT at) {
    const auto edge = [this](LONG screen, int32_t origin, int32_t image) {
        const int32_t adjusted = CPreviewRules::AdjustEdge(screen, origin, image, m_zoom);
        // Held against the image's far edge, the band takes the image's
        // last pixels too, which a small zoom draws inside one screen pixel.
        if (adjusted >= CPreviewRules::EdgeToScreen(image, origin, m_zoom))
            return image;
        return CPreviewRules::EdgeToImage(adjusted, origin, m_zoom);
    };
    // Edges that do not move keep their image pixels: read back from the
    // screen they would snap to the coarser grid of a small zoom.
    if (m_moveLeft)
        m_track.left = edge(at.x, m_origin.x, m_width);
    if (m_moveRight)
        m_track.right = edge(at.x, m_origin.x, m_width);
    if (m_moveTop)
        m_track.top = edge(at.y, m_origin.y, m_height);
    if (m_moveBottom)
        m_track.bottom = edge(at.y, m_origin.y, m_height);
    const SPreviewArea area{
        std::min(m_track.top, m_track.bottom), std::min(m_track.left, m_track.right),
        std::abs(m_track.right - m_track.left), std::abs(m_track.bottom - m_track.top)};
    SetSelection(area);
    if (m_owner)
        m_owner->PreviewSelected(area);
}

void CPreview::OnMouseMove(POINT at) {
    if (m_drag == EDrag::Track) {
        Track(at);
    } else if (m_drag == EDrag::Pan) {
        const SIZE c = Client();
        const int32_t x =
            CPreviewRules::OriginAfterPan(m_origin.x, m_last.x, at.x, m_width, c.cx, m_zoom);
        const int32_t y =
            CPreviewRules::OriginAfterPan(m_origin.y, m_last.y, at.y, m_height, c.cy, m_zoom);
        m_last = at;
        SetOrigin(x, y);
        ::UpdateWindow(Hwnd());
    }
}

void CPreview::OnButtonUp() {
    const EDrag drag = std::exchange(m_drag, EDrag::None);
    if (::GetCapture() == Hwnd())
        ::ReleaseCapture();
    if (drag == EDrag::Track) {
        // A click without a drag selects nothing: the whole page again.
        if (m_selection.width == 0 || m_selection.height == 0) {
            SetSelection(SPreviewArea{});
            if (m_owner)
                m_owner->PreviewSelected(SPreviewArea{});
        }
    }
    RefreshCursor();
}

bool CPreview::OnSetCursor() {
    if (!m_owner)
        return false;
    POINT at{};
    ::GetCursorPos(&at);
    ::ScreenToClient(Hwnd(), &at);
    const EPointerMode mode = m_owner->Pointer();
    const int handle = mode == EPointerMode::Select ? HandleAt(at) : -1;
    const EPreviewCursor cursor = CPreviewRules::Cursor(
        mode, m_zoom, OverImage(at), handle >= 0 || (m_drag == EDrag::Track), m_drag == EDrag::Pan);
    HCURSOR shown = nullptr;
    switch (cursor) {
        case EPreviewCursor::Arrow:
            shown = ::LoadCursorW(nullptr, IDC_ARROW);
            break;
        case EPreviewCursor::Cross:
            shown = ::LoadCursorW(nullptr, IDC_CROSS);
            break;
        case EPreviewCursor::TrackerHandle: {
            // Corners size diagonally, edge middles along one axis.
            static const LPCWSTR kSizing[] = {IDC_SIZENWSE, IDC_SIZENESW, IDC_SIZENWSE,
                                              IDC_SIZENESW, IDC_SIZENS,   IDC_SIZEWE,
                                              IDC_SIZENS,   IDC_SIZEWE};
            shown = ::LoadCursorW(nullptr, handle >= 0 ? kSizing[handle] : IDC_CROSS);
            break;
        }
        default:
            shown = ::LoadCursorW(m_owner->ResourceModule(),
                                  MAKEINTRESOURCEW(static_cast<int>(cursor)));
            break;
    }
    ::SetCursor(shown ? shown : ::LoadCursorW(nullptr, IDC_ARROW));
    return true;
}

void CPreview::RefreshCursor() {
    POINT at{};
    if (Hwnd() && ::GetCursorPos(&at) && ::WindowFromPoint(at) == Hwnd())
        OnSetCursor();
}

// ---- Painting ------------------------------------------------------------------------

void CPreview::Invalidate() {
    m_viewValid = false;
    if (Hwnd())
        ::InvalidateRect(Hwnd(), nullptr, FALSE);
}

void CPreview::RenderView(HDC target, SIZE client) {
    const RECT all{0, 0, client.cx, client.cy};
    ::FillRect(target, &all, ::GetSysColorBrush(COLOR_BTNFACE));
    if (!m_bitmap)
        return;
    // Only what the client shows is scaled: at most client × 8 >> zoom image pixels.
    const int32_t sourceWidth = std::min(CPreviewRules::ToImage(client.cx, m_zoom),
                                         m_width - static_cast<int32_t>(m_origin.x));
    const int32_t sourceHeight = std::min(CPreviewRules::ToImage(client.cy, m_zoom),
                                          m_height - static_cast<int32_t>(m_origin.y));
    if (sourceWidth <= 0 || sourceHeight <= 0)
        return;
    CMemoryDc source(::CreateCompatibleDC(target));
    CSelectedObject picture(source.Get(), m_bitmap.Get());
    HPALETTE oldPalette = nullptr;
    if (m_palette) {
        oldPalette = ::SelectPalette(target, static_cast<HPALETTE>(m_palette.Get()), FALSE);
        ::RealizePalette(target);
    }
    ::SetStretchBltMode(target, HALFTONE);
    ::SetBrushOrgEx(target, 0, 0, nullptr);
    ::StretchBlt(target, 0, 0, CPreviewRules::ToScreen(sourceWidth, m_zoom),
                 CPreviewRules::ToScreen(sourceHeight, m_zoom), source.Get(), m_origin.x,
                 m_origin.y, sourceWidth, sourceHeight, SRCCOPY);
    if (oldPalette)
        ::SelectPalette(target, oldPalette, FALSE);
}

void CPreview::DrawTracker(HDC dc) const {
    const RECT r = SelectionRect();
    if (::IsRectEmpty(&r))
        return;
    CGdiObject pen(::CreatePen(PS_DOT, 1, RGB(0, 0, 0)));
    CSelectedObject withPen(dc, pen.Get());
    CSelectedObject noFill(dc, ::GetStockObject(NULL_BRUSH));
    const int oldBk = ::SetBkMode(dc, OPAQUE);
    ::SetBkColor(dc, RGB(255, 255, 255));
    ::Rectangle(dc, r.left, r.top, r.right, r.bottom);
    ::SetBkMode(dc, oldBk);
    for (int h = 0; h < 8; ++h) {
        const RECT handle = HandleRect(h);
        ::FillRect(dc, &handle, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    }
}

void CPreview::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(Hwnd(), &ps);
    const SIZE client = Client();
    CMemoryDc viewDc(::CreateCompatibleDC(dc));
    if (!m_viewValid || !m_view || client.cx != m_viewSize.cx || client.cy != m_viewSize.cy) {
        m_view.Reset(::CreateCompatibleBitmap(dc, std::max<LONG>(client.cx, 1),
                                              std::max<LONG>(client.cy, 1)));
        m_viewSize = client;
        CSelectedObject into(viewDc.Get(), m_view.Get());
        RenderView(viewDc.Get(), client);
        m_viewValid = true;
    }
    {
        CSelectedObject from(viewDc.Get(), m_view.Get());
        ::BitBlt(dc, 0, 0, client.cx, client.cy, viewDc.Get(), 0, 0, SRCCOPY);
    }
    DrawTracker(dc);
    ::EndPaint(Hwnd(), &ps);
}

// ---- Window procedure ------------------------------------------------------------------

LRESULT CALLBACK CPreview::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto *create = reinterpret_cast<CREATESTRUCTW *>(lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        static_cast<CPreview *>(create->lpCreateParams)->m_hwnd = hwnd;
    }
    auto *self = reinterpret_cast<CPreview *>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self)
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        // Gone, perhaps with its dialog: nothing is left to destroy.
        self->m_hwnd = nullptr;
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    return self->OnMessage(msg, wParam, lParam);
}

LRESULT CPreview::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    switch (msg) {
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint covers every pixel
        case WM_SIZE:
            if (HasImage()) {
                const SIZE c = Client();
                SetOrigin(CPreviewRules::ClampOrigin(m_origin.x, m_width, c.cx, m_zoom),
                          CPreviewRules::ClampOrigin(m_origin.y, m_height, c.cy, m_zoom));
            }
            UpdateScrollBars();
            Invalidate();
            return 0;
        case WM_HSCROLL:
            OnScroll(SB_HORZ, LOWORD(wParam));
            return 0;
        case WM_VSCROLL:
            OnScroll(SB_VERT, LOWORD(wParam));
            return 0;
        case WM_LBUTTONDOWN:
            OnButtonDown(at, (wParam & MK_CONTROL) != 0);
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove(at);
            return 0;
        case WM_LBUTTONUP:
            OnButtonUp();
            return 0;
        case WM_CAPTURECHANGED:
            if (m_drag != EDrag::None && reinterpret_cast<HWND>(lParam) != Hwnd())
                OnButtonUp();
            return 0;
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT && OnSetCursor())
                return TRUE;
            break;
        default:
            break;
    }
    return ::DefWindowProcW(Hwnd(), msg, wParam, lParam);
}
