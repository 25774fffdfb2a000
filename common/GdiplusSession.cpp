#include "GdiplusSession.h"

#include <objidl.h>
#include <gdiplus.h>

CGdiplusSession::CGdiplusSession() {
    Gdiplus::GdiplusStartupInput input;
    m_running = Gdiplus::GdiplusStartup(&m_token, &input, nullptr) == Gdiplus::Ok;
}

CGdiplusSession::~CGdiplusSession() {
    if (m_running)
        Gdiplus::GdiplusShutdown(m_token);
}
