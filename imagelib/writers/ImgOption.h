#pragma once
// CImgOption: base of the per-format option records. CTiffOption picks the
// TIFF compression per pixel type.
#include <cstdint>

namespace corv {

class CImgOption {
public:
    virtual ~CImgOption() = default;
};

enum : int { kTiffOptionG3 = 2, kTiffOptionG4 = 3 };
enum : int { kTiffOptionJpeg = 2 };

class CTiffOption : public CImgOption {
public:
    CTiffOption(int bilevelCompression, int colorCompression, int reserved)
        : BilevelCompression(bilevelCompression),
          ColorCompression(colorCompression),
          Reserved(reserved) {}

    uint8_t Flag = 0;
    int BilevelCompression;  // 2 Group 3, 3 Group 4, else none
    int ColorCompression;    // 2 JPEG, else none
    int Reserved;
    // When non-zero, the TIFF compression code used for every page instead of
    // the two choices above (the command-line tool asks for LZW and PackBits
    // this way; the scan utility leaves it 0).
    int StripCompression = 0;
};

}  // namespace corv
