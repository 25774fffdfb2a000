#pragma once
// CStreamCall: lends a stream what one image call needs: the file open
// (with `mode`, closed again afterwards), a 16384-byte buffer when it has
// none, and the position where the call continues. Done() gives both back
// and lets failures through; after an error the destructor does it quietly
// so that the first error is the one passed on.
#include "ComFile.h"

namespace corv {

class CStreamCall {
public:
    static constexpr long kCallBuffer = 16384;

    CStreamCall(CComFile &stream, int64_t position, int mode);
    ~CStreamCall();
    CStreamCall(const CStreamCall &) = delete;
    CStreamCall &operator=(const CStreamCall &) = delete;
    void Done() { Release(); }

private:
    void Abandon() noexcept;
    void Release();

    CComFile &m_stream;
    bool m_opened = false;
    bool m_buffered = false;
};

}  // namespace corv
