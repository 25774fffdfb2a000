#pragma once
// Pixels of written files as decoders we did not write see them: libtiff's
// tiffcp for TIFF, poppler's pdfimages and libjpeg's djpeg through PNM.
#include "ExternalTools.h"
#include "TempPath.h"
#include "TiffInspect.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <string>
#include <vector>

namespace corv::test {

struct Pnm {
    char kind = 0;
    int width = 0, height = 0;
    std::vector<uint8_t> data;
};

inline Pnm ReadPnm(const std::string &path) {
    const std::vector<uint8_t> bytes = ReadAll(path);
    Pnm p;
    if (bytes.size() < 3 || bytes[0] != 'P')
        return p;
    p.kind = static_cast<char>(bytes[1]);
    // Width, height and (except for PBM) maxval, then one whitespace byte.
    const int numbers = p.kind == '4' ? 2 : 3;
    int values[3] = {0, 0, 0};
    size_t at = 2;
    for (int i = 0; i < numbers; ++i) {
        while (at < bytes.size() && !std::isdigit(bytes[at]))
            ++at;
        while (at < bytes.size() && std::isdigit(bytes[at]))
            values[i] = values[i] * 10 + (bytes[at++] - '0');
    }
    p.width = values[0];
    p.height = values[1];
    if (at < bytes.size())
        p.data.assign(bytes.begin() + long(at) + 1, bytes.end());
    return p;
}

// The bits past the last pixel of a PBM row carry no pixel: cleared.
inline std::vector<uint8_t> ClearRowTails(std::vector<uint8_t> data, int width) {
    const size_t rb = size_t(width + 7) / 8;
    if (width % 8)
        for (size_t i = rb - 1; i < data.size(); i += rb)
            data[i] &= static_cast<uint8_t>(0xFF << (8 - width % 8));
    return data;
}

inline double Psnr(const std::vector<uint8_t> &a, const std::vector<uint8_t> &b) {
    if (a.size() != b.size() || a.empty())
        return 0;
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i)
        sum += (a[i] - b[i]) * double(a[i] - b[i]);
    return sum == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / (sum / double(a.size())));
}

// Decodes every page with tiffcp into an uncompressed TIFF and returns each
// page's pixels in the library's layout (bilevel 1 = white).
inline std::vector<std::vector<uint8_t>> DecodeWithLibtiff(const std::string &path) {
    ScopedPath plain("plain.tif");
    ToolRun r = RunTool("tiffcp -c none " + Quote(path) + " " + Quote(plain.path));
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::vector<uint8_t>> pages;
    auto bytes = ReadAll(plain.path);
    if (r.status != 0 || bytes.empty())
        return pages;
    TiffFile f = Inspect(bytes);
    for (const TiffIfd &ifd : f.ifds) {
        std::vector<uint8_t> data = StripBytes(bytes, ifd);
        bool whiteIsZero = ifd.Get(262) == 0 && (!ifd.Has(258) || ifd.Get(258) == 1);
        if (whiteIsZero)
            for (auto &b : data)
                b = static_cast<uint8_t>(~b);
        pages.push_back(data);
    }
    return pages;
}

}  // namespace corv::test
