// Small owners for the Win32 handles of both programs: each closes what it
// holds exactly once and cannot be copied.
#pragma once

#include <windows.h>

#include <utility>

template <typename H, typename Traits> class CScopedHandle {
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

using CAutoHandle = CScopedHandle<HANDLE, KernelHandleTraits>;
using CAutoModule = CScopedHandle<HMODULE, ModuleTraits>;
using CGlobalMem = CScopedHandle<HGLOBAL, GlobalTraits>;

// Keeps a movable global block locked for one scope.
template <typename T> class CGlobalLock {
public:
    explicit CGlobalLock(HGLOBAL h) : m_h(h), m_p(h ? static_cast<T *>(::GlobalLock(h)) : nullptr) {}
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
