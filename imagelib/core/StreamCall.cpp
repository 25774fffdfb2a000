#include "StreamCall.h"

namespace corv {

CStreamCall::CStreamCall(CComFile &stream, int64_t position, int mode) : m_stream(stream) {
    try {
        if (!m_stream.IsOpen()) {
            if (mode == kOpenRead)
                m_stream.OpenExisting(mode);
            else
                m_stream.Open(mode);
            m_opened = true;
        }
        if (m_stream.BufferSize() == 0) {
            m_stream.SetBuffer(kCallBuffer);
            m_buffered = true;
        }
        m_stream.Seek(position, kSeekBegin);
    } catch (...) {
        Abandon();
        throw;
    }
}

CStreamCall::~CStreamCall() {
    Abandon();
}

void CStreamCall::Abandon() noexcept {
    try {
        Release();
    } catch (...) {
        // An error is already on its way; this one would hide it.
    }
}

void CStreamCall::Release() {
    if (m_buffered) {
        m_buffered = false;
        m_stream.SetBuffer(0);
    }
    if (m_opened) {
        m_opened = false;
        m_stream.CloseFile();
    }
}

}  // namespace corv
