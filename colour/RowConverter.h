#pragma once

#include "ColourAdjust.h"
#include "Isa.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace corvcolor {

// The last steps of a colour preview row, for the pixels the scaling keeps:
// colour adjustment and table conversion, from the filtered 12-bit row
// straight to the blue, green, red output bytes.
class CRowConverter {
public:
    // offsets: the first sample of each output pixel's source pixel in the
    // row. The adjustment must outlive the converter.
    CRowConverter(const CColourAdjust &adjust, std::vector<size_t> offsets, CIsa isa = BestIsa());

    void Run(const uint16_t *row, uint8_t *bgr);

private:
    // The plain kernel for pixels [from, end).
    void RunPlain(const uint16_t *row, size_t from, uint8_t *bgr);

    const CColourAdjust &adjust_;
    std::vector<size_t> offsets_;
    CIsa isa_;
    std::vector<uint8_t> ycc_;  // adjusted pixels before the table conversion
};

}  // namespace corvcolor
