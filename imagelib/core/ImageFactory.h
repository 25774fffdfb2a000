#pragma once
// The image factory: an image object of a format kind (1 TIFF, 2 JPEG,
// 6 BMP); any other kind raises kErrUnknownFormat.
#include "ComImage.h"

#include <memory>

namespace corv {

std::unique_ptr<CComImage> NewImage(int formatKind);

// The format kind of a file from its first bytes, or 0.
int SniffFormatKind(const uint8_t *bytes, size_t length);

}  // namespace corv
