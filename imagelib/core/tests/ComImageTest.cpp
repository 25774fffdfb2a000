#include "ComImage.h"
#include "ImageBand.h"
#include "ImageError.h"

#include <gtest/gtest.h>

using namespace corv;

TEST(ComImage, ColourKindTable) {
    struct Row {
        int kind, width, bytes, bits, samples;
    } rows[] = {
        {1, 10, 2, 1, 1},  {2, 10, 5, 4, 1},  {3, 10, 10, 8, 1}, {4, 9, 5, 4, 1},
        {5, 10, 10, 8, 1}, {6, 10, 20, 5, 3}, {7, 10, 30, 8, 3}, {8, 10, 40, 8, 4},
    };
    for (const Row &r : rows) {
        EXPECT_EQ(CComImage::BytesPerRow(r.width, r.kind), r.bytes) << r.kind;
        EXPECT_EQ(CComImage::BitsPerSample(r.kind), r.bits) << r.kind;
        EXPECT_EQ(CComImage::SamplesPerPixel(r.kind), r.samples) << r.kind;
    }
}

TEST(ComImage, UnknownColourKindRaisesMinus3500) {
    for (int kind : {0, 9, -1}) {
        try {
            CComImage::BytesPerRow(10, kind);
            ADD_FAILURE() << kind;
        } catch (const CImageError &e) {
            EXPECT_EQ(e.Code(), static_cast<uint32_t>(-3500));
        }
    }
}

TEST(ImageBand, KeepsItsBlockWhenTheNewShapeFits) {
    ImageBand band;
    band.Shape(kKindRgb24, 100, 50, 8);
    EXPECT_EQ(band.bytesPerRow, 300);
    EXPECT_EQ(band.Capacity(), 2400u);
    uint8_t *block = band.Data();
    band.Shape(kKindGray8, 100, 50, 8);
    EXPECT_EQ(band.Data(), block);
    EXPECT_EQ(band.samplesPerPixel, 1);
}
