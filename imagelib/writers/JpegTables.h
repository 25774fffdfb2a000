#pragma once
// The fixed tables of the JPEG encoder: the example quantisation and Huffman
// tables of ITU-T T.81 Annex K, the zigzag order, and the eleven quality
// presets of the library.
#include <cstdint>

namespace corv {

// Natural (row-major) index of the k-th coefficient in zigzag order.
inline constexpr uint8_t kJpegNaturalOrder[64] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
};

extern const uint16_t kJpegStdLumaQuant[64];    // Table K.1, natural order
extern const uint16_t kJpegStdChromaQuant[64];  // Table K.2, natural order

// One Huffman table in the form of its DHT segment: BITS (codes of each
// length 1..16) and HUFFVAL.
struct JpegHuffmanDefinition {
    uint8_t bits[16];
    const uint8_t *values;
    int count;
};

// Slot order of the encoder: DC 0, DC 1, AC 0, AC 1 (Tables K.3 to K.6).
enum : int { kHuffDc0 = 0, kHuffDc1 = 1, kHuffAc0 = 2, kHuffAc1 = 3, kHuffSlots = 4 };
extern const JpegHuffmanDefinition kJpegStdHuffman[kHuffSlots];

struct JpegPreset {
    uint8_t lumaH, lumaV, chromaH, chromaV;
    uint16_t luma[64];    // natural order
    uint16_t chroma[64];  // natural order
};

constexpr int kJpegPresetCount = 11;
extern const JpegPreset kJpegPresets[kJpegPresetCount];

// The option value of the save path (1..4, larger is better) to a preset:
// 4 -> 0, 3 -> 1, 2 -> 2, anything else -> 3.
int JpegPresetForQuality(int quality);

// Scales a table by a quality of 0..100 (-1 leaves it alone); entries stay
// within 1..255.
void JpegScaleTable(uint16_t table[64], int quality);

}  // namespace corv
