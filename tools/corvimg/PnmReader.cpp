#include "PnmReader.h"

#include <cctype>

namespace corvimg {

PnmReader::~PnmReader() {
    Close();
}

void PnmReader::Close() {
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
}

bool PnmReader::Fail(const std::string &why) {
    m_error = m_path + ": " + why;
    Close();
    return false;
}

size_t PnmReader::RowBytes() const {
    switch (m_format) {
        case '4':
            return (static_cast<size_t>(m_width) + 7) / 8;
        case '5':
            return static_cast<size_t>(m_width);
        case '6':
            return static_cast<size_t>(m_width) * 3;
        default:
            return 0;
    }
}

bool PnmReader::ReadNumber(int &value) {
    int c = std::fgetc(m_file);
    for (;;) {
        while (c != EOF && std::isspace(c))
            c = std::fgetc(m_file);
        if (c != '#')
            break;
        while (c != EOF && c != '\n')
            c = std::fgetc(m_file);
    }
    if (c == EOF || !std::isdigit(c))
        return false;
    long v = 0;
    while (c != EOF && std::isdigit(c)) {
        v = v * 10 + (c - '0');
        if (v > 1000000)
            return false;
        c = std::fgetc(m_file);
    }
    // Exactly one whitespace byte ends the last header number.
    if (c != EOF && !std::isspace(c))
        return false;
    value = static_cast<int>(v);
    return true;
}

bool PnmReader::Open(const std::string &path) {
    Close();
    m_path = path;
    m_file = std::fopen(path.c_str(), "rb");
    if (!m_file)
        return Fail("cannot open");
    char magic[2];
    if (std::fread(magic, 1, 2, m_file) != 2 || magic[0] != 'P' ||
        (magic[1] != '4' && magic[1] != '5' && magic[1] != '6'))
        return Fail("not a binary PNM file (P4, P5 or P6)");
    m_format = magic[1];
    if (!ReadNumber(m_width) || !ReadNumber(m_height) || m_width <= 0 || m_height <= 0)
        return Fail("bad PNM size");
    if (m_format != '4') {
        int maxval = 0;
        if (!ReadNumber(maxval) || maxval != 255)
            return Fail("only 8-bit PNM (maxval 255) is supported");
    }
    m_left = DataBytes();
    return true;
}

size_t PnmReader::Read(uint8_t *out, size_t count) {
    if (!m_file)
        return 0;
    if (count > m_left)
        count = static_cast<size_t>(m_left);
    size_t n = std::fread(out, 1, count, m_file);
    m_left -= n;
    if (m_format == '4')
        for (size_t i = 0; i < n; ++i)
            out[i] = static_cast<uint8_t>(~out[i]);
    return n;
}

}  // namespace corvimg
