// Structure layouts as 32-bit Windows applications and source managers lay
// them out (2-byte packing, 4-byte handles and pointers).
#include "twain/twain.h"

#include <gtest/gtest.h>

#include <cstddef>

namespace {

struct Layout {
    const char *name;
    size_t actual;
    size_t expected;
};

#define SIZE_OF(T, n)    \
    Layout {             \
#T, sizeof(T), n \
    }
#define OFFSET_OF(T, f, n)           \
    Layout {                         \
#T "." #f, offsetof(T, f), n \
    }

const Layout kLayouts[] = {
    SIZE_OF(TW_FIX32, 4),
    SIZE_OF(TW_FRAME, 16),
    OFFSET_OF(TW_FRAME, Bottom, 12),
    SIZE_OF(TW_VERSION, 42),
    OFFSET_OF(TW_VERSION, Info, 8),
    SIZE_OF(TW_IDENTITY, 156),
    OFFSET_OF(TW_IDENTITY, Version, 4),
    OFFSET_OF(TW_IDENTITY, ProtocolMajor, 46),
    OFFSET_OF(TW_IDENTITY, ProtocolMinor, 48),
    OFFSET_OF(TW_IDENTITY, SupportedGroups, 50),
    OFFSET_OF(TW_IDENTITY, Manufacturer, 54),
    OFFSET_OF(TW_IDENTITY, ProductFamily, 88),
    OFFSET_OF(TW_IDENTITY, ProductName, 122),
    SIZE_OF(TW_CAPABILITY, 8),
    OFFSET_OF(TW_CAPABILITY, ConType, 2),
    OFFSET_OF(TW_CAPABILITY, hContainer, 4),
    SIZE_OF(TW_ONEVALUE, 6),
    OFFSET_OF(TW_ONEVALUE, Item, 2),
    OFFSET_OF(TW_ARRAY, NumItems, 2),
    OFFSET_OF(TW_ARRAY, ItemList, 6),
    OFFSET_OF(TW_ENUMERATION, NumItems, 2),
    OFFSET_OF(TW_ENUMERATION, CurrentIndex, 6),
    OFFSET_OF(TW_ENUMERATION, DefaultIndex, 10),
    OFFSET_OF(TW_ENUMERATION, ItemList, 14),
    SIZE_OF(TW_RANGE, 22),
    OFFSET_OF(TW_RANGE, MinValue, 2),
    OFFSET_OF(TW_RANGE, MaxValue, 6),
    OFFSET_OF(TW_RANGE, StepSize, 10),
    OFFSET_OF(TW_RANGE, DefaultValue, 14),
    OFFSET_OF(TW_RANGE, CurrentValue, 18),
    SIZE_OF(TW_IMAGEINFO, 42),
    OFFSET_OF(TW_IMAGEINFO, ImageWidth, 8),
    OFFSET_OF(TW_IMAGEINFO, ImageLength, 12),
    OFFSET_OF(TW_IMAGEINFO, SamplesPerPixel, 16),
    OFFSET_OF(TW_IMAGEINFO, BitsPerSample, 18),
    OFFSET_OF(TW_IMAGEINFO, BitsPerPixel, 34),
    OFFSET_OF(TW_IMAGEINFO, Planar, 36),
    OFFSET_OF(TW_IMAGEINFO, PixelType, 38),
    OFFSET_OF(TW_IMAGEINFO, Compression, 40),
    SIZE_OF(TW_IMAGELAYOUT, 28),
    OFFSET_OF(TW_IMAGELAYOUT, DocumentNumber, 16),
    OFFSET_OF(TW_IMAGELAYOUT, PageNumber, 20),
    OFFSET_OF(TW_IMAGELAYOUT, FrameNumber, 24),
    SIZE_OF(TW_MEMORY, 12),
    OFFSET_OF(TW_MEMORY, TheMem, 8),
    SIZE_OF(TW_SETUPMEMXFER, 12),
    OFFSET_OF(TW_SETUPMEMXFER, Preferred, 8),
    SIZE_OF(TW_IMAGEMEMXFER, 38),
    OFFSET_OF(TW_IMAGEMEMXFER, BytesPerRow, 2),
    OFFSET_OF(TW_IMAGEMEMXFER, Columns, 6),
    OFFSET_OF(TW_IMAGEMEMXFER, Rows, 10),
    OFFSET_OF(TW_IMAGEMEMXFER, XOffset, 14),
    OFFSET_OF(TW_IMAGEMEMXFER, YOffset, 18),
    OFFSET_OF(TW_IMAGEMEMXFER, BytesWritten, 22),
    OFFSET_OF(TW_IMAGEMEMXFER, Memory, 26),
    SIZE_OF(TW_SETUPFILEXFER, 260),
    OFFSET_OF(TW_SETUPFILEXFER, Format, 256),
    OFFSET_OF(TW_SETUPFILEXFER, VRefNum, 258),
    SIZE_OF(TW_PENDINGXFERS, 6),
    OFFSET_OF(TW_PENDINGXFERS, EOJ, 2),
    SIZE_OF(TW_USERINTERFACE, 8),
    OFFSET_OF(TW_USERINTERFACE, ModalUI, 2),
    OFFSET_OF(TW_USERINTERFACE, hParent, 4),
    SIZE_OF(TW_EVENT, 6),
    OFFSET_OF(TW_EVENT, TWMessage, 4),
    SIZE_OF(TW_STATUS, 4),
    SIZE_OF(TW_ELEMENT8, 4),
    SIZE_OF(TW_PALETTE8, 1028),
    OFFSET_OF(TW_PALETTE8, Colors, 4),
    SIZE_OF(TW_JPEGCOMPRESSION, 122),
};

void PrintTo(const Layout &l, std::ostream *os) {
    *os << l.name;
}

class TwainLayout : public ::testing::TestWithParam<Layout> {};

TEST_P(TwainLayout, MatchesThe32BitAbi) {
    const Layout &l = GetParam();
    EXPECT_EQ(l.actual, l.expected) << l.name;
}

INSTANTIATE_TEST_SUITE_P(All, TwainLayout, ::testing::ValuesIn(kLayouts),
                         [](const ::testing::TestParamInfo<Layout> &info) {
                             std::string n = info.param.name;
                             for (char &c : n)
                                 if (c == '.')
                                     c = '_';
                             return n;
                         });

}  // namespace
