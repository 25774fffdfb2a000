// Fuzz target: arbitrary bytes through the BMP reader.
#include "BMPImage.h"
#include "ReaderFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    corv::CBMPImage image;
    corv::fuzz::ReadImage(image, data, size);
    return 0;
}
