#pragma once
// CJpegOption: the JPEG writer's options. Quality is the save path's value
// (4 best .. 1), mapped to a preset; StreamOffset is where the stream starts
// in the file (the TIFF writer's strips), 0 for a JPEG file of its own.
#include "ImgOption.h"

#include <cstdint>

namespace corv {

class CJpegOption : public CImgOption {
public:
    int32_t Quality = 2;
    int32_t StreamOffset = 0;
    // Colour pages as R, G, B components rather than YCbCr: what a TIFF
    // strip needs when its PhotometricInterpretation says RGB.
    bool RgbComponents = false;
};

}  // namespace corv
