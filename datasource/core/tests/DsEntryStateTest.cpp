// Every triplet in every state, through DS_Entry: return code, condition
// code and the state that follows.
#include <cstring>

#include "DsTestSupport.h"

namespace {

constexpr TW_UINT16 kKeep = 0x7777;      // condition code left untouched
constexpr TW_UINT32 kSame = 0xffffffff;  // state unchanged

struct Outcome {
    TW_UINT16 rc;
    TW_UINT16 cc;
    TW_UINT32 state;
};

struct Row {
    const char *name;
    TW_UINT32 dg;
    TW_UINT16 dat;
    TW_UINT16 msg;
    Outcome none, s4, s5, s6;
};

constexpr Outcome Ok{TWRC_SUCCESS, kKeep, kSame};
constexpr Outcome OkClear{TWRC_SUCCESS, TWCC_SUCCESS, kSame};
constexpr Outcome Proto{TWRC_FAILURE, TWCC_BADPROTOCOL, kSame};
constexpr Outcome Seq{TWRC_FAILURE, TWCC_SEQERROR, kSame};
constexpr Outcome FailKeep{TWRC_FAILURE, kKeep, kSame};
constexpr Outcome BadDest{TWRC_FAILURE, TWCC_BADDEST, kSame};
constexpr Outcome Closed{TWRC_SUCCESS, kKeep, kNoSource};
constexpr Outcome Done{TWRC_XFERDONE, kKeep, 700};
constexpr Outcome To(TW_UINT32 state, TW_UINT16 cc = kKeep) {
    return {TWRC_SUCCESS, cc, state};
}

const Row kRows[] = {
    {"IdentityGet", DG_CONTROL, DAT_IDENTITY, MSG_GET, Ok, Ok, Ok, Ok},
    {"IdentityOpen", DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, To(400), Seq, Seq, Seq},
    {"IdentityClose", DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, Seq, Closed, Closed, Closed},
    {"IdentitySet", DG_CONTROL, DAT_IDENTITY, MSG_SET, Proto, Proto, Proto, Proto},
    {"StatusGet", DG_CONTROL, DAT_STATUS, MSG_GET, Ok, Ok, Ok, Ok},
    {"CapGet", DG_CONTROL, DAT_CAPABILITY, MSG_GET, Proto, OkClear, OkClear, OkClear},
    {"CapQuerySupport", DG_CONTROL, DAT_CAPABILITY, MSG_QUERYSUPPORT, Proto, Proto, Proto, Proto},
    {"Enable", DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, Proto, To(500), Seq, Seq},
    {"EnableUiOnly", DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDSUIONLY, Proto, To(500), Seq, Seq},
    {"Disable", DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, Proto, Seq, To(400), To(400)},
    {"UserInterfaceGet", DG_CONTROL, DAT_USERINTERFACE, MSG_GET, Proto, Proto, Proto, Proto},
    {"PendingGet", DG_CONTROL, DAT_PENDINGXFERS, MSG_GET, Proto, Ok, Ok, To(500)},
    {"PendingEndXfer", DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, Proto, Ok, Ok,
     To(500, TWCC_SUCCESS)},
    {"PendingReset", DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, Proto, Ok, Ok, To(500)},
    {"PendingSet", DG_CONTROL, DAT_PENDINGXFERS, MSG_SET, Proto, Proto, Proto, Proto},
    {"SetupMemXfer", DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, Proto, Ok, Ok, Ok},
    {"SetupMemXferSet", DG_CONTROL, DAT_SETUPMEMXFER, MSG_SET, Proto, Proto, Proto, Proto},
    {"SetupFileXfer", DG_CONTROL, DAT_SETUPFILEXFER, MSG_GET, Proto, Ok, Ok, Ok},
    {"SetupFileXferNext", DG_CONTROL, DAT_SETUPFILEXFER, MSG_GETNEXT, Proto, Proto, Proto, Proto},
    {"XferGroupGet", DG_CONTROL, DAT_XFERGROUP, MSG_GET, Proto, FailKeep, FailKeep, FailKeep},
    {"XferGroupReset", DG_CONTROL, DAT_XFERGROUP, MSG_RESET, Proto, FailKeep, FailKeep, FailKeep},
    {"XferGroupSet", DG_CONTROL, DAT_XFERGROUP, MSG_SET, Proto, BadDest, BadDest, BadDest},
    {"XferGroupEndXfer", DG_CONTROL, DAT_XFERGROUP, MSG_ENDXFER, Proto, Proto, Proto, Proto},
    {"ControlEvent", DG_CONTROL, DAT_EVENT, MSG_GET, Proto, Proto, Proto, Proto},
    {"ControlParent", DG_CONTROL, DAT_PARENT, MSG_OPENDSM, Proto, Proto, Proto, Proto},
    {"ControlEntryPoint", DG_CONTROL, DAT_ENTRYPOINT, MSG_GET, Proto, Proto, Proto, Proto},
    {"ImageInfo", DG_IMAGE, DAT_IMAGEINFO, MSG_GET, Proto, Seq, Seq, Ok},
    {"ImageInfoSet", DG_IMAGE, DAT_IMAGEINFO, MSG_SET, Proto, Seq, Seq, Proto},
    {"ImageLayout", DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, Proto, Ok, Ok, Ok},
    {"ImageLayoutSet", DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, Proto, Ok, Ok, Ok},
    {"ImageLayoutReset", DG_IMAGE, DAT_IMAGELAYOUT, MSG_RESET, Proto, Proto, Proto, Proto},
    {"ImageMemXfer", DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, Proto, Seq, Seq, Done},
    {"ImageNativeXfer", DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, Proto, Seq, Seq, Done},
    {"ImageNativeXferSet", DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_SET, Proto, Seq, Seq, Proto},
    {"ImageFileXfer", DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, Proto, Seq, Seq, Done},
    {"CieColor", DG_IMAGE, DAT_CIECOLOR, MSG_GET, Proto, Proto, Proto, Proto},
    {"GrayResponse", DG_IMAGE, DAT_GRAYRESPONSE, MSG_SET, Proto, Proto, Proto, Proto},
    {"RgbResponse", DG_IMAGE, DAT_RGBRESPONSE, MSG_SET, Proto, Proto, Proto, Proto},
    {"JpegCompression", DG_IMAGE, DAT_JPEGCOMPRESSION, MSG_GET, Proto, Proto, Proto, Proto},
    {"Palette8", DG_IMAGE, DAT_PALETTE8, MSG_GET, Proto, Proto, Proto, Proto},
    {"ExtImageInfo", DG_IMAGE, DAT_EXTIMAGEINFO, MSG_GET, Proto, Proto, Proto, Proto},
    {"AudioGroup", DG_AUDIO, DAT_NULL, MSG_GET, Proto, Proto, Proto, Proto},
};

struct Case {
    const Row *row;
    TW_UINT32 state;
    Outcome expected;
};

std::vector<Case> AllCases() {
    std::vector<Case> cases;
    for (const Row &row : kRows) {
        cases.push_back({&row, kNoSource, row.none});
        cases.push_back({&row, 400, row.s4});
        cases.push_back({&row, 500, row.s5});
        cases.push_back({&row, 600, row.s6});
    }
    return cases;
}

void PrintTo(const Case &c, std::ostream *os) {
    *os << c.row->name << " in state " << c.state;
}

class DsEntryStateTable : public DsTest, public ::testing::WithParamInterface<Case> {};

TEST_P(DsEntryStateTable, ReturnConditionAndNextState) {
    const Case &c = GetParam();
    // A job whose page is two grey pixels, so every transfer can finish.
    m_job.geometry.pixelWidth = 2;
    m_job.geometry.pixelHeight = 1;
    m_job.geometry.bitsPerPixel = 8;
    m_job.geometry.resolution = 300;
    m_job.geometry.bytesPerRow = 2;
    m_job.page = {10, 20};
    Reach(c.state);
    // Room for the largest structure any of these triplets writes.
    alignas(8) unsigned char data[2048] = {};
    if (c.row->dat == DAT_CAPABILITY)
        reinterpret_cast<TW_CAPABILITY *>(data)->Cap = CAP_XFERCOUNT;
    if (c.row->dat == DAT_USERINTERFACE)
        reinterpret_cast<TW_USERINTERFACE *>(data)->ShowUI = TRUE;
    if (c.row->dat == DAT_IDENTITY)
        reinterpret_cast<TW_IDENTITY *>(data)->Id = kSourceId;
    unsigned char rows[16] = {};
    if (c.row->dat == DAT_IMAGEMEMXFER) {
        auto *block = reinterpret_cast<TW_IMAGEMEMXFER *>(data);
        block->Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
        block->Memory.Length = sizeof rows;
        block->Memory.TheMem = reinterpret_cast<TW_MEMREF>(rows);
    }
    TheApp().SetConditionCode(kKeep);

    TW_UINT16 rc = Call(c.row->dg, c.row->dat, c.row->msg, data);

    EXPECT_EQ(rc, c.expected.rc);
    // A DG_IMAGE triplet starts from a clear code; a DG_CONTROL one keeps the old one.
    TW_UINT16 cc = c.expected.cc;
    if (cc == kKeep && c.row->dg != DG_CONTROL)
        cc = TWCC_SUCCESS;
    EXPECT_EQ(TheApp().ConditionCode(), cc);
    EXPECT_EQ(State(), c.expected.state == kSame ? c.state : c.expected.state);
    // The dialog window exists exactly in states 5 to 7.
    EXPECT_EQ(Dialog() != nullptr, State() >= 500);
    if (rc == TWRC_SUCCESS && c.row->dat == DAT_CAPABILITY)
        ::GlobalFree(reinterpret_cast<TW_CAPABILITY *>(data)->hContainer);
    if (rc == TWRC_XFERDONE && c.row->dat == DAT_IMAGENATIVEXFER)
        ::GlobalFree(*reinterpret_cast<HGLOBAL *>(data));
    if (rc == TWRC_XFERDONE && c.row->dat == DAT_IMAGEFILEXFER)
        ::DeleteFileA(TheApp().Source()->XferFileName().c_str());
}

std::string CaseName(const ::testing::TestParamInfo<Case> &info) {
    return std::string(info.param.row->name) + "_" +
           (info.param.state == kNoSource ? std::string("Closed")
                                          : "S" + std::to_string(info.param.state / 100));
}

INSTANTIATE_TEST_SUITE_P(AllTriplets, DsEntryStateTable, ::testing::ValuesIn(AllCases()), CaseName);

}  // namespace
