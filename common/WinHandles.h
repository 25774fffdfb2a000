// Small owners for the Win32 handles of both programs: each closes what it
// holds exactly once and cannot be copied.
#pragma once

#include <windows.h>

#include <utility>

template <typename H, typename Traits>
class CScopedHandle {
public:
    CScopedHandle() = default;
    explicit CScopedHandle(H h) : m_h(h) {}
    ~CScopedHandle() { Reset(); }
    CScopedHandle(const CScopedHandle &) = delete;
    CScopedHandle &operator=(const CScopedHandle &) = delete;
    CScopedHandle(CScopedHandle &&other) noexcept : m_h(other.Release()) {}
    CScopedHandle &operator=(CScopedHandle &&other) noexcept {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }

    H Get() const { return m_h; }
    explicit operator bool() const { return m_h != Traits::Invalid(); }
    H Release() { return std::exchange(m_h, Traits::Invalid()); }
    void Reset(H h = Traits::Invalid()) {
        if (m_h != Traits::Invalid())
            Traits::Close(m_h);
        m_h = h;
    }

private:
    H m_h = Traits::Invalid();
};

struct KernelHandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct ModuleTraits {
    static HMODULE Invalid() { return nullptr; }
    static void Close(HMODULE h) { ::FreeLibrary(h); }
};
struct GlobalTraits {
    static HGLOBAL Invalid() { return nullptr; }
    static void Close(HGLOBAL h) { ::GlobalFree(h); }
};

// Files and searches say "none" with INVALID_HANDLE_VALUE, not null.
struct FileTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct FindTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::FindClose(h); }
};
struct WindowTraits {
    static HWND Invalid() { return nullptr; }
    static void Close(HWND h) { ::DestroyWindow(h); }
};
struct GdiObjectTraits {
    static HGDIOBJ Invalid() { return nullptr; }
    static void Close(HGDIOBJ h) { ::DeleteObject(h); }
};
struct MemoryDcTraits {
    static HDC Invalid() { return nullptr; }
    static void Close(HDC h) { ::DeleteDC(h); }
};

// A COM interface pointer this code holds one reference of.
template <typename I>
struct ComRefTraits {
    static I *Invalid() { return nullptr; }
    static void Close(I *p) { p->Release(); }
};

using CAutoHandle = CScopedHandle<HANDLE, KernelHandleTraits>;
using CAutoFile = CScopedHandle<HANDLE, FileTraits>;
using CAutoFind = CScopedHandle<HANDLE, FindTraits>;
using CAutoModule = CScopedHandle<HMODULE, ModuleTraits>;
using CGlobalMem = CScopedHandle<HGLOBAL, GlobalTraits>;
// A window this code created and destroys.
using CAutoWindow = CScopedHandle<HWND, WindowTraits>;
// A pen, brush, font or bitmap this code created.
using CGdiObject = CScopedHandle<HGDIOBJ, GdiObjectTraits>;
// A device context from CreateCompatibleDC.
using CMemoryDc = CScopedHandle<HDC, MemoryDcTraits>;
template <typename I>
using CComRef = CScopedHandle<I *, ComRefTraits<I>>;

// A window's device context for one scope (GetDC / ReleaseDC).
class CWindowDc {
public:
    explicit CWindowDc(HWND hwnd) : m_hwnd(hwnd), m_dc(::GetDC(hwnd)) {}
    ~CWindowDc() {
        if (m_dc)
            ::ReleaseDC(m_hwnd, m_dc);
    }
    CWindowDc(const CWindowDc &) = delete;
    CWindowDc &operator=(const CWindowDc &) = delete;
    HDC Get() const { return m_dc; }
    explicit operator bool() const { return m_dc != nullptr; }

private:
    HWND m_hwnd;
    HDC m_dc;
};

// An object selected into a device context for one scope; the one it
// replaced is selected back, so the object can be deleted afterwards.
class CSelectedObject {
public:
    CSelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(::SelectObject(dc, object)) {}
    ~CSelectedObject() {
        if (m_old && m_old != HGDI_ERROR)
            ::SelectObject(m_dc, m_old);
    }
    CSelectedObject(const CSelectedObject &) = delete;
    CSelectedObject &operator=(const CSelectedObject &) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// Keeps a movable global block locked for one scope.
template <typename T>
class CGlobalLock {
public:
    explicit CGlobalLock(HGLOBAL h)
        : m_h(h), m_p(h ? static_cast<T *>(::GlobalLock(h)) : nullptr) {}
    ~CGlobalLock() {
        if (m_p)
            ::GlobalUnlock(m_h);
    }
    CGlobalLock(const CGlobalLock &) = delete;
    CGlobalLock &operator=(const CGlobalLock &) = delete;

    T *Get() const { return m_p; }
    T *operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    HGLOBAL m_h;
    T *m_p;
};
