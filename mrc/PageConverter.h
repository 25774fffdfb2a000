#pragma once
// CPageConverter: one TIFF page to its layers without holding the page.
// The rows are read three times, a band at a time: for the paper estimate,
// for the mask, and for the reduced colour images. Between the passes only
// the mask (a byte a pixel) and the reduced images stay in memory, which
// keeps a 600 dpi colour page well inside a 32-bit process.
#include "MrcLayers.h"
#include "TiffReader.h"

namespace corv::mrc {

class CPageConverter {
public:
    explicit CPageConverter(CTiffReader &reader) : m_reader(reader) {}

    MrcLayers Convert(const TiffPage &page);

private:
    CTiffReader &m_reader;
};

}  // namespace corv::mrc
