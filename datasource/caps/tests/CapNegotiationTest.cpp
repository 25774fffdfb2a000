// MSG_SET, MSG_RESET and the rules particular to each capability.
#include "CapTestSupport.h"
#include "Containers.h"

namespace {

// One value container of an item type and value, as hex.
std::string One(TW_UINT16 type, TW_UINT32 value) {
    char hex[13];
    std::snprintf(hex, sizeof(hex), "%02X%02X%02X%02X%02X%02X", type & 0xff, type >> 8,
                  value & 0xff, (value >> 8) & 0xff, (value >> 16) & 0xff, value >> 24);
    return hex;
}

struct SetCase {
    const char *name;
    TW_UINT16 cap;
    TW_UINT16 itemType;
    TW_UINT32 value;
    TW_UINT16 rc;
    TW_UINT16 cc;
    std::string currentAfter;  // MSG_GETCURRENT after the set
    std::string afterReset;    // MSG_GETCURRENT after MSG_RESET ("" = reset refused)
};

const SetCase kSets[] = {
    {"XferCountAnyValue", CAP_XFERCOUNT, TWTY_INT16, 5, TWRC_SUCCESS, 0, One(TWTY_INT16, 5),
     One(TWTY_INT16, 0xffff)},
    {"XResolutionUnbounded", ICAP_XRESOLUTION, TWTY_FIX32, Fix32Bits(12345.0), TWRC_SUCCESS, 0,
     One(TWTY_FIX32, Fix32Bits(12345.0)), One(TWTY_FIX32, Fix32Bits(400))},
    {"GammaFraction", ICAP_GAMMA, TWTY_FIX32, Fix32Bits(2.2), TWRC_SUCCESS, 0,
     One(TWTY_FIX32, Fix32Bits(2.2)), One(TWTY_FIX32, Fix32Bits(1.8))},
    {"PixelTypeGray", ICAP_PIXELTYPE, TWTY_UINT16, TWPT_GRAY, TWRC_SUCCESS, 0,
     One(TWTY_UINT16, TWPT_GRAY), One(TWTY_UINT16, TWPT_BW)},
    // A value that is not taken is refused, never answered as a success.
    {"PixelTypeWrongItemTypeRefused", ICAP_PIXELTYPE, TWTY_UINT32, TWPT_GRAY, TWRC_FAILURE,
     TWCC_BADVALUE, One(TWTY_UINT16, TWPT_RGB), One(TWTY_UINT16, TWPT_BW)},
    {"PixelTypeUnlistedRefused", ICAP_PIXELTYPE, TWTY_UINT16, TWPT_CMYK, TWRC_FAILURE,
     TWCC_BADVALUE, One(TWTY_UINT16, TWPT_RGB), One(TWTY_UINT16, TWPT_BW)},
    {"XferMechNative", ICAP_XFERMECH, TWTY_UINT16, TWSX_NATIVE, TWRC_SUCCESS, 0,
     One(TWTY_UINT16, TWSX_NATIVE), One(TWTY_UINT16, TWSX_MEMORY)},
    {"XferMechFile", ICAP_XFERMECH, TWTY_UINT16, TWSX_FILE, TWRC_SUCCESS, 0,
     One(TWTY_UINT16, TWSX_FILE), One(TWTY_UINT16, TWSX_MEMORY)},
    {"XferMechUnlistedRefused", ICAP_XFERMECH, TWTY_UINT16, 3, TWRC_FAILURE, TWCC_BADVALUE,
     One(TWTY_UINT16, TWSX_MEMORY), One(TWTY_UINT16, TWSX_MEMORY)},
    {"BitDepthOfRgb42", ICAP_BITDEPTH, TWTY_UINT16, 42, TWRC_SUCCESS, 0, One(TWTY_UINT16, 42),
     One(TWTY_UINT16, 24)},
    {"SupportedSizesA3", ICAP_SUPPORTEDSIZES, TWTY_UINT16, TWSS_A3, TWRC_SUCCESS, 0,
     One(TWTY_UINT16, TWSS_A3), One(TWTY_UINT16, TWSS_NONE)},
    {"DeviceOnlineFixed", CAP_DEVICEONLINE, TWTY_BOOL, FALSE, TWRC_FAILURE, TWCC_CAPUNSUPPORTED,
     One(TWTY_BOOL, TRUE), One(TWTY_BOOL, TRUE)},
    {"UIControllableFixed", CAP_UICONTROLLABLE, TWTY_BOOL, TRUE, TWRC_FAILURE, TWCC_CAPUNSUPPORTED,
     One(TWTY_BOOL, FALSE), One(TWTY_BOOL, FALSE)},
    {"FeederEnabled", CAP_FEEDERENABLED, TWTY_BOOL, TRUE, TWRC_SUCCESS, 0, One(TWTY_BOOL, TRUE),
     One(TWTY_BOOL, FALSE)},
    {"SupportedCapsRefused", CAP_SUPPORTEDCAPS, TWTY_UINT16, 1, TWRC_FAILURE, TWCC_CAPUNSUPPORTED,
     "", ""},
    {"EnableDSUIOnlyRefused", CAP_ENABLEDSUIONLY, TWTY_BOOL, FALSE, TWRC_FAILURE,
     TWCC_CAPUNSUPPORTED, One(TWTY_BOOL, TRUE), ""},
};

class CapSet : public CapTest, public ::testing::WithParamInterface<SetCase> {};

TEST_P(CapSet, SetThenReset) {
    const SetCase &c = GetParam();
    EXPECT_EQ(SetOne(c.cap, c.itemType, c.value), c.rc);
    EXPECT_EQ(Status(), c.cc);
    if (!c.currentAfter.empty()) {
        EXPECT_EQ(Current(c.cap), c.currentAfter);
    }
    TW_CAPABILITY reset{c.cap, 0, nullptr};
    if (c.afterReset.empty()) {
        EXPECT_EQ(Call(DG_CONTROL, DAT_CAPABILITY, MSG_RESET, &reset), TWRC_FAILURE);
        EXPECT_EQ(Status(), TWCC_CAPUNSUPPORTED);
        return;
    }
    EXPECT_EQ(Call(DG_CONTROL, DAT_CAPABILITY, MSG_RESET, &reset), TWRC_SUCCESS);
    EXPECT_EQ(Current(c.cap), c.afterReset);
}

INSTANTIATE_TEST_SUITE_P(Rules, CapSet, ::testing::ValuesIn(kSets),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(CapTest, BitDepthFollowsThePixelType) {
    ASSERT_EQ(SetOne(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_GRAY), TWRC_SUCCESS);
    EXPECT_EQ(Current(ICAP_BITDEPTH), One(TWTY_UINT16, 8));
    std::string hex;
    ASSERT_EQ(Ask(ICAP_BITDEPTH, MSG_GET, &hex), TWRC_SUCCESS);
    EXPECT_EQ(hex, Packed("0400 02000000 00000000 00000000 0800 0E00"));
    ASSERT_EQ(SetOne(ICAP_BITDEPTH, TWTY_UINT16, 14), TWRC_SUCCESS);
    CDSCaps &caps = TheApp().Source()->Caps();
    EXPECT_EQ(caps.BitDepthFor(TWPT_GRAY), 14);
    EXPECT_EQ(caps.BitDepthFor(TWPT_BW), 1);
    EXPECT_EQ(caps.BitDepthFor(TWPT_RGB), 24);
    // The lists of the other pixel types are left alone.
    ASSERT_EQ(SetOne(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_RGB), TWRC_SUCCESS);
    EXPECT_EQ(Current(ICAP_BITDEPTH), One(TWTY_UINT16, 24));
}

TEST_F(CapTest, AutoFeedOnlyWhileFeederEnabled) {
    EXPECT_EQ(Ask(CAP_AUTOFEED, MSG_GETCURRENT), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_CAPUNSUPPORTED);
    EXPECT_EQ(SetOne(CAP_AUTOFEED, TWTY_BOOL, TRUE), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_CAPUNSUPPORTED);
    ASSERT_EQ(SetOne(CAP_FEEDERENABLED, TWTY_BOOL, TRUE), TWRC_SUCCESS);
    EXPECT_EQ(Current(CAP_AUTOFEED), One(TWTY_BOOL, FALSE)) << "the refused set changed nothing";
    ASSERT_EQ(SetOne(CAP_AUTOFEED, TWTY_BOOL, TRUE), TWRC_SUCCESS);
    EXPECT_EQ(Current(CAP_AUTOFEED), One(TWTY_BOOL, TRUE));
    std::string hex;
    ASSERT_EQ(Ask(CAP_AUTOFEED, MSG_GETDEFAULT, &hex), TWRC_SUCCESS);
    EXPECT_EQ(hex, One(TWTY_BOOL, FALSE));
}

TEST_F(CapTest, EnumerationContainerSetsItsCurrentItem) {
    HGLOBAL h = MakeEnumeration(TWTY_UINT16, {TWPT_RGB, TWPT_GRAY}, 1, 0);
    EXPECT_EQ(SetContainer(ICAP_PIXELTYPE, TWON_ENUMERATION, h), TWRC_SUCCESS);
    ::GlobalFree(h);
    EXPECT_EQ(Current(ICAP_PIXELTYPE), One(TWTY_UINT16, TWPT_GRAY));
}

TEST_F(CapTest, MalformedContainersChangeNothing) {
    // An enumeration claiming more items than its block holds.
    HGLOBAL h = MakeEnumeration(TWTY_UINT16, {TWPT_GRAY}, 0, 0);
    static_cast<TW_ENUMERATION *>(::GlobalLock(h))->NumItems = 100000;
    ::GlobalUnlock(h);
    EXPECT_EQ(SetContainer(ICAP_PIXELTYPE, TWON_ENUMERATION, h), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_BADVALUE);
    ::GlobalFree(h);
    EXPECT_EQ(SetContainer(ICAP_XRESOLUTION, TWON_ONEVALUE, nullptr), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_BADVALUE);
    HGLOBAL tiny = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 2);
    EXPECT_EQ(SetContainer(ICAP_XRESOLUTION, TWON_RANGE, tiny), TWRC_FAILURE);
    ::GlobalFree(tiny);
    EXPECT_EQ(Current(ICAP_PIXELTYPE), One(TWTY_UINT16, TWPT_RGB));
    EXPECT_EQ(Current(ICAP_XRESOLUTION), One(TWTY_FIX32, Fix32Bits(400)));
}

TEST_F(CapTest, RangeContainerSetsItsCurrentValue) {
    HGLOBAL h = MakeRange(4, 800, 1, 400, 300);
    EXPECT_EQ(SetContainer(ICAP_XRESOLUTION, TWON_RANGE, h), TWRC_SUCCESS);
    ::GlobalFree(h);
    EXPECT_EQ(Current(ICAP_XRESOLUTION), One(TWTY_FIX32, Fix32Bits(300)));
    EXPECT_EQ(Current(ICAP_YRESOLUTION), One(TWTY_FIX32, Fix32Bits(400))) << "kept separately";
    EXPECT_DOUBLE_EQ(TheApp().Source()->Caps().XResolution(), 300.0);
}

TEST_F(CapTest, QuerySupportIsNotAnswered) {
    EXPECT_EQ(Ask(ICAP_XRESOLUTION, MSG_QUERYSUPPORT), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_BADPROTOCOL);
}

TEST_F(CapTest, ColourModeOfTheSettingsPicksThePixelType) {
    CDSCaps &caps = TheApp().Source()->Caps();
    const std::pair<int, TW_UINT16> modes[] = {
        {1, TWPT_GRAY}, {2, TWPT_BW}, {0, TWPT_RGB}, {7, TWPT_RGB}};
    for (auto [mode, type] : modes) {
        caps.SetPixelTypeFromColourMode(mode);
        EXPECT_EQ(Current(ICAP_PIXELTYPE), One(TWTY_UINT16, type)) << mode;
    }
    CGlobalMem planar(caps.CurrentByPosition(CDSCaps::kPlanarChunky));
    EXPECT_EQ(Hex(planar.Get()), One(TWTY_UINT16, TWPC_CHUNKY));
}

TEST(Fix32, ConversionsRoundToNearest) {
    const std::pair<double, TW_UINT32> values[] = {{400, 0x00000190},
                                                   {-100, 0x0000ff9c},
                                                   {0.1, 0x199a0000},
                                                   {1.8, 0xcccd0001},
                                                   {-0.5, 0x8000ffff}};
    for (auto [value, bits] : values) {
        EXPECT_EQ(Fix32Bits(value), bits) << value;
        EXPECT_NEAR(Fix32BitsToDouble(bits), value, 1.0 / 65536) << value;
    }
}

}  // namespace

// Feeder state comes from the job.
class CapFeederLoaded : public DsTest {};

TEST_F(CapFeederLoaded, TrueWhileTheJobExpectsAnotherPage) {
    m_job.morePages = true;
    Reach(600);
    TW_CAPABILITY c{CAP_FEEDERLOADED, 0, nullptr};
    ASSERT_EQ(Call(DG_CONTROL, DAT_CAPABILITY, MSG_GETCURRENT, &c), TWRC_SUCCESS);
    auto *one = static_cast<TW_ONEVALUE *>(::GlobalLock(c.hContainer));
    EXPECT_EQ(one->ItemType, TWTY_BOOL);
    EXPECT_EQ(one->Item, TW_UINT32(TRUE));
    ::GlobalUnlock(c.hContainer);
    ::GlobalFree(c.hContainer);
}
