#pragma once
// Streams the rows of a binary PNM file (P4 bitmap, P5 8-bit gray, P6 8-bit
// RGB) in pieces, without holding the whole image.
#include <cstdint>
#include <cstdio>
#include <string>

namespace corvimg {

class PnmReader {
public:
    PnmReader() = default;
    ~PnmReader();
    PnmReader(const PnmReader &) = delete;
    PnmReader &operator=(const PnmReader &) = delete;

    // Opens the file and reads its header; false with Error() set otherwise.
    bool Open(const std::string &path);
    // Reads up to `count` pixel bytes; P4 bits come out inverted (PBM marks
    // black with 1, the image library white). Returns the bytes read.
    size_t Read(uint8_t *out, size_t count);
    void Close();

    char Format() const { return m_format; }  // '4', '5' or '6'
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    size_t RowBytes() const;
    uint64_t DataBytes() const { return uint64_t(RowBytes()) * uint64_t(m_height); }
    const std::string &Error() const { return m_error; }

private:
    bool ReadNumber(int &value);
    bool Fail(const std::string &why);

    FILE *m_file = nullptr;
    char m_format = 0;
    int m_width = 0;
    int m_height = 0;
    uint64_t m_left = 0;
    std::string m_path;
    std::string m_error;
};

}  // namespace corvimg
