#include "PnmWriter.h"

#include "ComImage.h"
#include "Dither.h"

namespace corvimg {

using namespace corv;

PnmWriter::~PnmWriter() {
    if (m_file)
        std::fclose(m_file);
}

bool PnmWriter::Open(const std::string &path, int width, int height, int colourKind) {
    m_file = std::fopen(path.c_str(), "wb");
    if (!m_file)
        return false;
    m_kind = colourKind;
    const char *magic = colourKind == kKindBilevel                             ? "P4"
                        : colourKind == kKindGray4 || colourKind == kKindGray8 ? "P5"
                                                                               : "P6";
    std::fprintf(m_file, "%s\n%d %d\n", magic, width, height);
    if (colourKind != kKindBilevel)
        std::fprintf(m_file, "255\n");
    return true;
}

bool PnmWriter::Write(const ImageBand &band) {
    const int width = band.right - band.left;
    for (int y = band.top; y < band.bottom; ++y) {
        const uint8_t *row = band.Row(y);
        if (m_kind == kKindBilevel) {
            // PBM marks black with 1, the library white.
            m_row.assign(row, row + band.bytesPerRow);
            for (uint8_t &b : m_row)
                b = static_cast<uint8_t>(~b);
        } else if (m_kind == kKindGray8) {
            m_row.assign(row, row + width);
        } else if (m_kind == kKindRgb24) {
            m_row.assign(row, row + size_t(width) * 3);
        } else {
            m_row.resize(size_t(width) * 3);
            CDither::RgbRow(band, y, m_row.data());
            if (m_kind == kKindGray4)
                for (int x = 0; x < width; ++x)
                    m_row[size_t(x)] = m_row[size_t(x) * 3];
            if (m_kind == kKindGray4)
                m_row.resize(size_t(width));
        }
        if (std::fwrite(m_row.data(), 1, m_row.size(), m_file) != m_row.size())
            return false;
    }
    return true;
}

bool PnmWriter::Close() {
    const bool ok = m_file && std::fclose(m_file) == 0;
    m_file = nullptr;
    return ok;
}

}  // namespace corvimg
