#pragma once
// DObject: root of the writer library's helper objects (encoders, PDF
// objects): a virtual destructor, an identity test and a debug text.
#include <string>

namespace corv {

class DObject {
public:
    DObject() = default;
    virtual ~DObject() = default;
    DObject(const DObject &) = delete;
    DObject &operator=(const DObject &) = delete;

    bool IsSame(const DObject *other) const { return this == other; }
    std::string DebugText() const;
};

}  // namespace corv
