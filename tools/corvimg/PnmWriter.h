#pragma once
// Writes bands of any colour kind as a binary PNM file: bilevel as P4,
// gray as P5, palette and RGB as P6.
#include "ImageBand.h"

#include <cstdio>
#include <string>
#include <vector>

namespace corvimg {

class PnmWriter {
public:
    ~PnmWriter();
    bool Open(const std::string &path, int width, int height, int colourKind);
    bool Write(const corv::ImageBand &band);
    bool Close();

private:
    FILE *m_file = nullptr;
    int m_kind = 0;
    std::vector<uint8_t> m_row;
};

}  // namespace corvimg
