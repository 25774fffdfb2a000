#pragma once
// Test pages for the component: a rendered document page made to look
// scanned (a coloured heading, a photo-like picture, tinted paper and
// sensor noise), written as our own TIFF writer writes a scan, and the
// measures that compare a rendered PDF page with the page it came from.
#include <cstdint>
#include <string>
#include <vector>

namespace corv::mrc::test {

struct Raster {
    int width = 0;
    int height = 0;
    int samples = 0;  // 1 or 3
    std::vector<uint8_t> pixels;
    uint8_t Luma(int x, int y) const;
};

struct Box {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // x1, y1 exclusive
    bool Holds(int x, int y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
};

struct ScannedPage {
    Raster page;
    Box heading;  // where the marks were coloured
    Box photo;
};

// Reads a binary PGM or PPM; false when it cannot.
bool LoadPnm(const std::string &path, Raster &out);
bool SavePnm(const std::string &path, const Raster &image);
// Recolours the first text block, pastes a picture in the lower right
// quarter and adds paper tint and noise (deterministic for a seed).
ScannedPage MakeScannedPage(const Raster &rendered, uint32_t seed);
// The page as grey.
Raster ToGrey(const Raster &image);
// Writes the pages as one uncompressed TIFF with the image library's writer.
void WriteTiff(const std::string &path, const std::vector<Raster> &pages, double dpi);

// Peak signal-to-noise ratio over the box (all of both images when empty),
// on all samples; both must have the same shape.
double Psnr(const Raster &a, const Raster &b, const Box &box = {});
struct MarkAgreement {
    int64_t marks = 0;    // dark pixels of `original` outside `skip`
    int64_t missing = 0;  // of those, light in `render` and in its 8 neighbours
    int64_t extra = 0;    // dark in `render`, with no dark original pixel near
};
// Compares the two pages' dark pixels (luma < 128) outside `skip`, with one
// pixel of slack for edges that moved by a pixel.
MarkAgreement CompareMarks(const Raster &original, const Raster &render, const Box &skip);

}  // namespace corv::mrc::test
