// A static control of a dialog that shows a PNG from the module's resources,
// drawn with GDI+ (which needs a CGdiplusSession for as long as this holds
// an image). The static is SS_OWNERDRAW: its dialog hands its WM_DRAWITEM
// here, so the control keeps the stock window procedure.
#pragma once

#include <windows.h>

#include <memory>

#include "WinHandles.h"

struct IStream;
namespace Gdiplus {
class Image;
}

class CPngStatic {
public:
    CPngStatic();
    ~CPngStatic();
    CPngStatic(const CPngStatic &) = delete;
    CPngStatic &operator=(const CPngStatic &) = delete;

    void Attach(HWND control) { m_hwnd = control; }
    HWND Hwnd() const { return m_hwnd; }

    // Shows resource `id` of type "PNG"; the previous image is let go either
    // way. False, with the static left empty, when the resource is missing
    // or GDI+ cannot read it.
    bool Load(HINSTANCE module, int id);
    bool HasImage() const { return static_cast<bool>(m_image); }
    // Zero without an image.
    SIZE ImageSize() const;
    // Makes the control as large as the image, its top-left corner kept.
    void SizeToImage();
    // The dialog's WM_DRAWITEM; false when the item is another control.
    bool OnDrawItem(const DRAWITEMSTRUCT &item) const;

private:
    void Release();

    HWND m_hwnd = nullptr;
    // GDI+ may read the stream again while it draws, so it lives as long as
    // the image; its global block goes with it.
    CComRef<IStream> m_stream;
    std::unique_ptr<Gdiplus::Image> m_image;
};
