// Fuzz target: arbitrary bytes through the TIFF reader.
#include "TIFFImage.h"
#include "ReaderFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    corv::CTIFFImage image;
    corv::fuzz::ReadImage(image, data, size);
    return 0;
}
