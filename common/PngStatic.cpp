#include "PngStatic.h"

#include <objidl.h>
#include <gdiplus.h>

#include <cstring>

CPngStatic::CPngStatic() = default;

CPngStatic::~CPngStatic() {
    Release();
}

void CPngStatic::Release() {
    m_image.reset();
    m_stream.Reset();
}

bool CPngStatic::Load(HINSTANCE module, int id) {
    Release();
    if (m_hwnd)
        ::InvalidateRect(m_hwnd, nullptr, FALSE);

    HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
    HGLOBAL loaded = info ? ::LoadResource(module, info) : nullptr;
    const void *bytes = loaded ? ::LockResource(loaded) : nullptr;
    const DWORD size = info ? ::SizeofResource(module, info) : 0;
    if (!bytes || size == 0)
        return false;

    // A stream needs movable memory of its own; resource memory is neither.
    CGlobalMem copy(::GlobalAlloc(GMEM_MOVEABLE, size));
    {
        CGlobalLock<BYTE> target(copy.Get());
        if (!target)
            return false;
        memcpy(target.Get(), bytes, size);
    }
    IStream *stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(copy.Get(), TRUE, &stream)) || !stream)
        return false;
    copy.Release();  // the stream frees it now
    CComRef<IStream> streamRef(stream);

    std::unique_ptr<Gdiplus::Image> image(Gdiplus::Image::FromStream(stream));
    if (!image || image->GetLastStatus() != Gdiplus::Ok || image->GetWidth() == 0 ||
        image->GetHeight() == 0)
        return false;
    m_stream = std::move(streamRef);
    m_image = std::move(image);
    return true;
}

SIZE CPngStatic::ImageSize() const {
    if (!m_image)
        return SIZE{0, 0};
    return SIZE{static_cast<LONG>(m_image->GetWidth()), static_cast<LONG>(m_image->GetHeight())};
}

void CPngStatic::SizeToImage() {
    const SIZE size = ImageSize();
    if (!m_hwnd || size.cx == 0)
        return;
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, size.cx, size.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CPngStatic::OnDrawItem(const DRAWITEMSTRUCT &item) const {
    if (!m_hwnd || item.hwndItem != m_hwnd)
        return false;
    const RECT &r = item.rcItem;
    if (!m_image) {
        ::FillRect(item.hDC, &r, ::GetSysColorBrush(COLOR_BTNFACE));
        return true;
    }
    Gdiplus::Graphics graphics(item.hDC);
    graphics.DrawImage(m_image.get(),
                       Gdiplus::Rect(r.left, r.top, r.right - r.left, r.bottom - r.top));
    return true;
}
