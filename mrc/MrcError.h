#pragma once
// Result codes of the component's entry points. The caller only tests for
// 0; the other values tell a log reader or a test which stage refused.
#include <cstdint>

namespace corv::mrc {

enum MrcResult : int32_t {
    kMrcOk = 0,
    kMrcBadArgument = 1,
    kMrcNotStarted = 2,
    kMrcInputMissing = 3,
    kMrcBadTiff = 4,
    kMrcUnsupportedTiff = 5,
    kMrcOutputFailed = 6,
    kMrcNoMemory = 7,
    kMrcNoPages = 8,
    kMrcInternal = 9,
};

// Raised inside the component and turned into a result at the entry point.
class CMrcError {
public:
    explicit CMrcError(MrcResult code) : m_code(code) {}
    MrcResult Code() const { return m_code; }

private:
    MrcResult m_code;
};

}  // namespace corv::mrc
