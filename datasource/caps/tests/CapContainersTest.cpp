// The container each capability answers with, byte by byte, for MSG_GET,
// MSG_GETCURRENT and MSG_GETDEFAULT in the order of the capability set.
#include "CapTestSupport.h"

namespace {

struct Layout {
    const char *name;
    TW_UINT16 cap;
    TW_UINT16 getType;    // ConType of MSG_GET; 0 when every read fails
    const char *get;      // container of MSG_GET, or the failing TWCC as text
    const char *current;  // container of MSG_GETCURRENT (and MSG_GETDEFAULT unless given)
    const char *byDefault;
};

// Layouts (2-byte packing): one value = type, item(4); enumeration = type,
// count(4), current(4), default(4), items; range = type, min, max, step,
// default, current (FIX32 each: whole, fraction); array = type, count, items.
const Layout kLayouts[] = {
    {"XferCount", CAP_XFERCOUNT, TWON_ONEVALUE, "0100 FFFF0000", "0100 FFFF0000", nullptr},
    {"Compression", ICAP_COMPRESSION, TWON_ENUMERATION, "0400 01000000 00000000 00000000 0000",
     "0400 00000000", nullptr},
    {"PixelType", ICAP_PIXELTYPE, TWON_ENUMERATION,
     "0400 03000000 02000000 00000000 0000 0100 0200", "0400 02000000", "0400 00000000"},
    {"Units", ICAP_UNITS, TWON_ENUMERATION, "0400 01000000 00000000 00000000 0000", "0400 00000000",
     nullptr},
    {"XferMech", ICAP_XFERMECH, TWON_ENUMERATION, "0400 03000000 02000000 02000000 0000 0100 0200",
     "0400 02000000", "0400 02000000"},
    {"BitDepthOfRgb", ICAP_BITDEPTH, TWON_ENUMERATION, "0400 02000000 00000000 00000000 1800 2A00",
     "0400 18000000", nullptr},
    {"BitOrder", ICAP_BITORDER, TWON_ONEVALUE, "0400 01000000", "0400 01000000", nullptr},
    {"XResolution", ICAP_XRESOLUTION, TWON_RANGE,
     "0700 04000000 20030000 01000000 90010000 90010000", "0700 90010000", nullptr},
    {"YResolution", ICAP_YRESOLUTION, TWON_RANGE,
     "0700 04000000 20030000 01000000 90010000 90010000", "0700 90010000", nullptr},
    {"PhysicalHeight", ICAP_PHYSICALHEIGHT, 0, "10", nullptr, nullptr},
    {"PhysicalWidth", ICAP_PHYSICALWIDTH, 0, "10", nullptr, nullptr},
    {"PixelFlavor", ICAP_PIXELFLAVOR, TWON_ENUMERATION, "0400 01000000 00000000 00000000 0000",
     "0400 00000000", nullptr},
    {"PlanarChunky", ICAP_PLANARCHUNKY, TWON_ENUMERATION, "0400 01000000 00000000 00000000 0000",
     "0400 00000000", nullptr},
    {"SupportedSizes", ICAP_SUPPORTEDSIZES, TWON_ENUMERATION,
     "0400 05000000 00000000 00000000 0000 0B00 0100 2600 0200", "0400 00000000", nullptr},
    {"AutoFeedWithoutFeeder", CAP_AUTOFEED, 0, "13", nullptr, nullptr},
    {"DeviceOnline", CAP_DEVICEONLINE, TWON_ONEVALUE, "0600 01000000", "0600 01000000", nullptr},
    {"FeederEnabled", CAP_FEEDERENABLED, TWON_ONEVALUE, "0600 00000000", "0600 00000000", nullptr},
    {"FeederLoadedWithoutJob", CAP_FEEDERLOADED, TWON_ONEVALUE, "0600 00000000", "0600 00000000",
     nullptr},
    {"Brightness", ICAP_BRIGHTNESS, TWON_RANGE, "0700 9CFF0000 64000000 01000000 00000000 00000000",
     "0700 00000000", nullptr},
    {"Gamma", ICAP_GAMMA, TWON_RANGE, "0700 00009A19 0A000000 00009A19 0100CDCC 0100CDCC",
     "0700 0100CDCC", nullptr},
    {"Highlight", ICAP_HIGHLIGHT, TWON_RANGE, "0700 01000000 FF000000 01000000 FF000000 FF000000",
     "0700 FF000000", nullptr},
    {"Shadow", ICAP_SHADOW, TWON_RANGE, "0700 00000000 FE000000 01000000 00000000 00000000",
     "0700 00000000", nullptr},
    {"Contrast", ICAP_CONTRAST, TWON_RANGE, "0700 9CFF0000 64000000 01000000 00000000 00000000",
     "0700 00000000", nullptr},
    {"Threshold", ICAP_THRESHOLD, TWON_RANGE, "0700 01000000 FE000000 01000000 7F000000 7F000000",
     "0700 7F000000", nullptr},
    {"UIControllable", CAP_UICONTROLLABLE, TWON_ONEVALUE, "0600 00000000", "0600 00000000",
     nullptr},
    {"SupportedCaps", CAP_SUPPORTEDCAPS, TWON_ARRAY,
     "0400 19000000 0100 0001 0101 0201 0301 2B11 1C11 1811 1911 1211 1111 1F11 2011 2211 0710 "
     "0F10 0210 0310 0111 "
     "0811 0A11 1311 0311 2311 0E10",
     nullptr, nullptr},
    {"EnableDSUIOnly", CAP_ENABLEDSUIONLY, TWON_ONEVALUE, "0600 01000000", "0600 01000000",
     nullptr},
};

class CapLayout : public CapTest, public ::testing::WithParamInterface<Layout> {};

TEST_P(CapLayout, GetCurrentAndDefaultContainers) {
    const Layout &l = GetParam();
    std::string hex;
    TW_UINT16 conType = 0;
    if (l.getType == 0) {
        for (TW_UINT16 msg : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT}) {
            EXPECT_EQ(Ask(l.cap, msg), TWRC_FAILURE) << msg;
            EXPECT_EQ(Status(), std::stoi(l.get)) << msg;
        }
        return;
    }
    ASSERT_EQ(Ask(l.cap, MSG_GET, &hex, &conType), TWRC_SUCCESS);
    EXPECT_EQ(conType, l.getType);
    EXPECT_EQ(hex, Packed(l.get));
    EXPECT_EQ(Status(), TWCC_SUCCESS);
    // The supported-capabilities list answers every read with the array.
    TW_UINT16 singleType = l.getType == TWON_ARRAY ? TWON_ARRAY : TWON_ONEVALUE;
    const char *current = l.current ? l.current : l.get;
    ASSERT_EQ(Ask(l.cap, MSG_GETCURRENT, &hex, &conType), TWRC_SUCCESS);
    EXPECT_EQ(conType, singleType);
    EXPECT_EQ(hex, Packed(current));
    ASSERT_EQ(Ask(l.cap, MSG_GETDEFAULT, &hex, &conType), TWRC_SUCCESS);
    EXPECT_EQ(conType, singleType);
    EXPECT_EQ(hex, Packed(l.byDefault ? l.byDefault : current));
}

INSTANTIATE_TEST_SUITE_P(AllCaps, CapLayout, ::testing::ValuesIn(kLayouts),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(CapTest, SupportedCapsListsTheFirst25InSetOrder) {
    std::string hex;
    ASSERT_EQ(Ask(CAP_SUPPORTEDCAPS, MSG_GET, &hex), TWRC_SUCCESS);
    std::string listed;
    for (const Layout &l : kLayouts) {
        if (l.cap == CAP_SUPPORTEDCAPS)
            break;
        char item[5];
        std::snprintf(item, sizeof(item), "%02X%02X", l.cap & 0xff, l.cap >> 8);
        listed += item;
    }
    EXPECT_EQ(hex,
              "0400"
              "19000000" +
                  listed);
}

}  // namespace
