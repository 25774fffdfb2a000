#include "ImageFactory.h"

#include "BMPImage.h"
#include "ImageError.h"
#include "JPEGImage.h"
#include "TIFFImage.h"

namespace corv {

std::unique_ptr<CComImage> NewImage(int formatKind) {
    switch (formatKind) {
        case 1:
            return std::make_unique<CTIFFImage>();
        case 2:
            return std::make_unique<CJPEGImage>();
        case 6:
            return std::make_unique<CBMPImage>();
        default:
            RaiseImageError(kErrUnknownFormat);
    }
}

int SniffFormatKind(const uint8_t *b, size_t n) {
    if (n >= 4 && ((b[0] == 'I' && b[1] == 'I' && b[2] == 42 && b[3] == 0) ||
                   (b[0] == 'M' && b[1] == 'M' && b[2] == 0 && b[3] == 42)))
        return 1;
    if (n >= 2 && b[0] == 0xFF && b[1] == 0xD8)
        return 2;
    if (n >= 2 && b[0] == 'B' && b[1] == 'M')
        return 6;
    return 0;
}

}  // namespace corv
