#pragma once
// CLayerBuilder: the two reduced colour images of a page once its mask is
// known. The background is the page with the marks taken out (and a ring
// around them, where the scanner blurred ink into paper), each cell the mean
// of the paper pixels it covers; the foreground is the colour of the marks,
// each cell the mean of its darkest mark pixels. Cells with nothing to
// average are filled from their neighbourhood so that the JPEG coder sees
// smooth images instead of edges nobody will ever see.
#include "MrcLayers.h"

#include <cstdint>
#include <vector>

namespace corv::mrc {

class CLayerBuilder {
public:
    // Background at 1/3 keeps photos recognisable at a third of the pixels'
    // cost squared; text colour changes slowly along a line, so 1/6 holds it.
    static constexpr int kBackgroundScale = 3;
    static constexpr int kForegroundScale = 6;

    explicit CLayerBuilder(double dpi);

    // Row by row: Begin with the page's mask (one byte a pixel, 1 = mark,
    // kept for the result), the page's rows in order, then Finish.
    void Begin(int width, int height, int samples, std::vector<uint8_t> mask);
    void AddRows(const uint8_t *pixels, int count);
    MrcLayers Finish();
    // The same for a page held in memory.
    MrcLayers Build(const uint8_t *pixels, int width, int height, int samples,
                    std::vector<uint8_t> mask);

    // Fills every cell whose `known` flag is 0 from the known cells around
    // it (averages over ever larger squares); all unknown gives white.
    static void FillUnknown(MrcPlane &plane, std::vector<uint8_t> known);
    // Sets each pixel within `radius` (Chebyshev) of a 1 to 1.
    static std::vector<uint8_t> Dilate(const std::vector<uint8_t> &mask, int width, int height,
                                       int radius);

    int HaloRadius() const { return m_halo; }

private:
    int m_halo;
    MrcLayers m_layers;
    int m_samples = 0;
    int m_row = 0;
    std::vector<uint8_t> m_ring;  // the mask grown by the halo
    std::vector<uint64_t> m_bgSum;
    std::vector<uint32_t> m_bgCount;
    std::vector<double> m_fgSum;
    std::vector<double> m_fgWeight;
};

}  // namespace corv::mrc
