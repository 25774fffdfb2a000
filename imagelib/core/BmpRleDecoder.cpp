#include "BmpRleDecoder.h"

#include "ImageError.h"

#include <algorithm>

namespace corv {
namespace {

enum : int { kEndOfLine = 0, kEndOfBitmap = 1, kDelta = 2 };

}  // namespace

CBmpRleDecoder::CBmpRleDecoder(bool fourBit, int width, int height, size_t rowBytes)
    : m_fourBit(fourBit), m_width(width), m_height(height), m_rowBytes(rowBytes) {
    if (uint64_t(rowBytes) * uint64_t(height) > kMaxPageBytes)
        RaiseImageError(kErrJpegImageSize);
}

int CBmpRleDecoder::NextByte() {
    uint8_t byte = 0;
    if (m_left == 0 || m_stream->Read(&byte, 1) != 1)
        RaiseImageError(kErrJpegEof);
    --m_left;
    return byte;
}

void CBmpRleDecoder::Put(int x, int fileRow, int index) {
    if (x >= m_width || fileRow >= m_height)
        return;
    uint8_t *row = m_page.data() + size_t(m_height - 1 - fileRow) * m_rowBytes;
    if (!m_fourBit) {
        row[x] = static_cast<uint8_t>(index);
        return;
    }
    uint8_t &pair = row[x / 2];
    pair = static_cast<uint8_t>(x % 2 ? (pair & 0xF0) | (index & 15) : (pair & 15) | index << 4);
}

void CBmpRleDecoder::Absolute(int &x, int fileRow, int count) {
    const int bytes = m_fourBit ? (count + 1) / 2 : count;
    int byte = 0;
    for (int i = 0; i < count; ++i) {
        if (!m_fourBit || i % 2 == 0)
            byte = NextByte();
        Put(x, fileRow, m_fourBit ? (i % 2 ? byte & 15 : byte >> 4) : byte);
        x = std::min(x + 1, m_width);
    }
    if (bytes % 2)
        NextByte();
}

void CBmpRleDecoder::Decode(CComFile &stream, uint64_t length) {
    m_page.assign(m_rowBytes * size_t(m_height), 0);
    m_stream = &stream;
    m_left = length;
    int x = 0, fileRow = 0;
    while (fileRow < m_height) {
        const int count = NextByte();
        const int value = NextByte();
        if (count > 0) {
            for (int i = 0; i < count && x < m_width; ++i, ++x)
                Put(x, fileRow, m_fourBit ? (i % 2 ? value & 15 : value >> 4) : value);
            continue;
        }
        switch (value) {
            case kEndOfLine:
                x = 0;
                ++fileRow;
                break;
            case kEndOfBitmap:
                return;
            case kDelta:
                x = std::min(x + NextByte(), m_width);
                fileRow += NextByte();
                break;
            default:
                Absolute(x, fileRow, value);
        }
    }
}

}  // namespace corv
