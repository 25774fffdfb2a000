// Fuzz target: arbitrary bytes through the JPEG reader.
#include "JPEGImage.h"
#include "ReaderFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    corv::CJPEGImage image;
    corv::fuzz::ReadImage(image, data, size);
    return 0;
}
