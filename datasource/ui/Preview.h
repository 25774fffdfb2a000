// The prescan preview: a child window that takes the place of the main
// dialog's preview frame. It owns the prescan image (the packed DIB the
// transfers read from, a device-dependent copy of it for drawing, and a
// palette for palette screens), shows it at one of five zoom levels with
// scroll bars, zooms about the pointer, pans with the hand and selects the
// scan area with a rubber-band tracker. Geometry comes from CPreviewRules;
// this class only applies it to a window.
#pragma once

#include <windows.h>

#include <cstdint>

#include "PreviewRules.h"
#include "WinHandles.h"

// What the preview needs of the dialog it sits in.
class IPreviewOwner {
public:
    virtual ~IPreviewOwner() = default;
    // Module holding the zoom and hand cursors.
    virtual HINSTANCE ResourceModule() const = 0;
    virtual EPointerMode Pointer() const = 0;
    // The user changed the selection (image pixels; all zero: none).
    virtual void PreviewSelected(const SPreviewArea &area) = 0;
    // The zoom or the scroll origin changed: the rulers follow.
    virtual void PreviewMoved(int32_t zoom, int32_t originX, int32_t originY) = 0;
};

class CPreview {
public:
    CPreview() = default;
    ~CPreview();
    CPreview(const CPreview &) = delete;
    CPreview &operator=(const CPreview &) = delete;

    // Replaces the frame control `id` of `dialog` with the preview window,
    // which takes over the id, the place and the tab order.
    bool Create(HWND dialog, int id, IPreviewOwner &owner);
    void Destroy();
    HWND Hwnd() const { return m_hwnd; }

    // Takes ownership of a packed DIB and shows it from the top-left corner
    // at the zoom that fits it; false (the block freed, the preview empty)
    // when it is not a picture the preview can show.
    bool SetImage(HGLOBAL dib);
    void Clear();
    bool HasImage() const { return static_cast<bool>(m_dib); }
    HGLOBAL Image() const { return m_dib.Get(); }
    int32_t ImageWidth() const { return m_width; }
    int32_t ImageHeight() const { return m_height; }
    int32_t Zoom() const { return m_zoom; }
    POINT Origin() const { return m_origin; }

    // The selection as the area fields hold it (image pixels).
    void SetSelection(const SPreviewArea &area);
    // Zooms to `zoom` keeping the image pixel under `anchor` (client
    // coordinates) in place as far as the scroll range allows.
    void ZoomAt(int32_t zoom, POINT anchor);
    // The pointer mode or the Control key changed under a still pointer.
    void RefreshCursor();

    // The tracker's rectangle on the screen (client coordinates), empty
    // without a selection.
    RECT SelectionRect() const;

private:
    enum class EDrag { None, Pan, Track };

    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnPaint();
    void OnScroll(int bar, int code);
    void OnButtonDown(POINT at, bool control);
    void OnMouseMove(POINT at);
    void OnButtonUp();
    bool OnSetCursor();

    bool BuildBitmap();
    SIZE Client() const;
    bool OverImage(POINT at) const;
    // The tracker handle under the point: 0..7 clockwise from the top-left
    // corner (corners first, then edge middles), -1 for none.
    int HandleAt(POINT at) const;
    RECT HandleRect(int handle) const;
    void Track(POINT at);
    void SetOrigin(int32_t x, int32_t y);
    void UpdateScrollBars();
    // The drawn picture at the current zoom and origin changed.
    void Invalidate();
    // Redraws the client-sized picture the window paints from.
    void RenderView(HDC target, SIZE client);
    void DrawTracker(HDC dc) const;

    IPreviewOwner *m_owner = nullptr;
    HWND m_hwnd = nullptr;
    CGlobalMem m_dib;
    CGdiObject m_bitmap;
    CGdiObject m_palette;
    int32_t m_width = 0;
    int32_t m_height = 0;
    int32_t m_zoom = CPreviewRules::kNoImageZoom;
    POINT m_origin{};
    SPreviewArea m_selection;
    // The picture as the client shows it; rebuilt only when the zoom, the
    // origin or the size changed, so a repaint never touches the image.
    CGdiObject m_view;
    SIZE m_viewSize{};
    bool m_viewValid = false;

    EDrag m_drag = EDrag::None;
    POINT m_last{};
    // While tracking: the rectangle in client coordinates and which of its
    // edges follow the pointer.
    RECT m_track{};
    bool m_moveLeft = false, m_moveTop = false, m_moveRight = false, m_moveBottom = false;
};
