#pragma once
// DEncoder: a line-at-a-time encoder with an explicit end call. The base
// encodes nothing (EncodeLine fails, End writes no bytes).
#include "DObject.h"

#include <cstdint>

namespace corv {

class DEncoder : public DObject {
public:
    // Codes one line held at the start of `buffer` and copies the whole code
    // bytes back there; returns their count, or -1 past `capacity`.
    virtual int EncodeLine(uint8_t *, int /*length*/, int /*capacity*/) { return -1; }
    // Finishes the stream into `buffer`; returns the bytes written or -1.
    virtual int End(uint8_t *, int /*length*/, int /*capacity*/) { return 0; }
    virtual void Reset() {}
    virtual void Release() {}
};

}  // namespace corv
