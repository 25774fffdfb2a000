// GDI+ started for as long as this lives. Startups are counted by GDI+, so
// a window that draws with it may hold one of its own beside its owner's.
// Every GDI+ object must be gone before the session that served it ends.
#pragma once

#include <windows.h>

class CGdiplusSession {
public:
    CGdiplusSession();
    ~CGdiplusSession();
    CGdiplusSession(const CGdiplusSession &) = delete;
    CGdiplusSession &operator=(const CGdiplusSession &) = delete;

    bool IsRunning() const { return m_running; }

private:
    ULONG_PTR m_token = 0;
    bool m_running = false;
};
