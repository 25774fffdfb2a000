#pragma once
// CPdfOption: the PDF writer's choices: how bilevel and gray/colour images
// are coded, the JPEG quality (the save path's 1..4) and ASCII85 on top.
#include "ImgOption.h"

namespace corv {

enum : int { kPdfBilevelNone = 1, kPdfBilevelG3 = 2, kPdfBilevelG4 = 3 };
enum : int { kPdfColorNone = 1, kPdfColorJpeg = 2 };

class CPdfOption : public CImgOption {
public:
    CPdfOption() = default;
    CPdfOption(int jpegQuality, int bilevelCompression, int colorCompression, bool ascii85)
        : JpegQuality(jpegQuality),
          BilevelCompression(bilevelCompression),
          ColorCompression(colorCompression),
          Ascii85(ascii85) {}

    int JpegQuality = 2;                       // 1..4, 4 the finest
    int BilevelCompression = kPdfBilevelNone;  // 1 none, 2 Group 3, 3 Group 4
    int ColorCompression = kPdfColorNone;      // 1 none, 2 JPEG
    bool Ascii85 = false;
};

}  // namespace corv
