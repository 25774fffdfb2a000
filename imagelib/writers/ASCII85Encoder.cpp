#include "ASCII85Encoder.h"

namespace corv {
namespace {

// A line break follows the group that takes a line past this many
// characters.
constexpr int kMaxLine = 71;

}  // namespace

void CASCII85Encoder::Write(const uint8_t *bytes, size_t length) {
    while (length--) {
        m_group[m_fill++] = *bytes++;
        if (m_fill == 4) {
            PutGroup(4);
            m_fill = 0;
        }
    }
}

void CASCII85Encoder::PutGroup(size_t count) {
    const uint32_t v = uint32_t{m_group[0]} << 24 | uint32_t{m_group[1]} << 16 |
                       uint32_t{m_group[2]} << 8 | m_group[3];
    // Only a whole group of zeros may shrink to "z"; a padded tail never
    // does, or its length would be lost.
    if (v == 0 && count == 4) {
        m_out[0] = 'z';
        Emit(1);
        return;
    }
    uint32_t rest = v;
    for (int i = 4; i >= 0; --i) {
        m_out[i] = static_cast<char>(rest % 85 + 33);
        rest /= 85;
    }
    Emit(count + 1);
}

void CASCII85Encoder::Emit(size_t count) {
    m_stream->Write(m_out, count);
    m_lineLength += static_cast<int>(count);
    if (m_lineLength > kMaxLine) {
        m_stream->Write("\n", 1);
        m_lineLength = 0;
    }
}

void CASCII85Encoder::Finish() {
    if (m_fill) {
        for (size_t i = m_fill; i < 4; ++i)
            m_group[i] = 0;
        PutGroup(m_fill);
        m_fill = 0;
    }
    m_stream->Write("~>", 2);
}

}  // namespace corv
