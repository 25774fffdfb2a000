// Small owners for the Win32 and WinINet handles of the network code, so
// that no handle is closed by hand and none leaks on an early return.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <utility>

template <typename T, BOOL(WINAPI *Close)(T), T Invalid>
class CScopedHandle {
public:
    CScopedHandle() = default;
    explicit CScopedHandle(T h) : m_h(h) {}
    ~CScopedHandle() { Reset(); }
    CScopedHandle(const CScopedHandle &) = delete;
    CScopedHandle &operator=(const CScopedHandle &) = delete;
    CScopedHandle(CScopedHandle &&o) noexcept : m_h(std::exchange(o.m_h, Invalid)) {}
    CScopedHandle &operator=(CScopedHandle &&o) noexcept {
        if (this != &o) {
            Reset();
            m_h = std::exchange(o.m_h, Invalid);
        }
        return *this;
    }

    T Get() const { return m_h; }
    explicit operator bool() const { return m_h != Invalid && m_h != nullptr; }
    void Reset(T h = Invalid) {
        if (*this)
            Close(m_h);
        m_h = h;
    }

private:
    T m_h = Invalid;
};

using CAutoHandle = CScopedHandle<HANDLE, CloseHandle, nullptr>;
using CInternetHandle = CScopedHandle<HINTERNET, InternetCloseHandle, nullptr>;
