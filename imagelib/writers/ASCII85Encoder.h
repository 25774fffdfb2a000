#pragma once
// CASCII85Encoder: base-85 text of a byte stream, four bytes to five
// characters ("z" for four zero bytes), broken into lines, ended by "~>".
#include "ComFile.h"
#include "DObject.h"

#include <cstddef>
#include <cstdint>

namespace corv {

class CASCII85Encoder : public DObject {
public:
    explicit CASCII85Encoder(CComFile *stream) : m_stream(stream) {}

    void Write(const uint8_t *bytes, size_t length);
    // Codes the partial last group and writes the end marker.
    void Finish();

private:
    void PutGroup(size_t count);
    void Emit(size_t count);

    CComFile *m_stream;
    uint8_t m_group[4] = {0, 0, 0, 0};
    size_t m_fill = 0;
    int m_lineLength = 0;
    char m_out[5] = {0, 0, 0, 0, 0};
};

}  // namespace corv
