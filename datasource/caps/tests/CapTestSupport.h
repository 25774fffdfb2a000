// Reading and writing capability containers as an application does.
#pragma once

#include <cctype>
#include <string>

#include "DsTestSupport.h"

class CapTest : public DsTest {
protected:
    void SetUp() override {
        DsTest::SetUp();
        Reach(400);
    }
    // Sends a capability message; on success returns the container as hex
    // (no spaces) and frees it.
    TW_UINT16 Ask(TW_UINT16 cap, TW_UINT16 msg, std::string *hex = nullptr,
                  TW_UINT16 *conType = nullptr) {
        TW_CAPABILITY c{cap, 0, nullptr};
        TW_UINT16 rc = Call(DG_CONTROL, DAT_CAPABILITY, msg, &c);
        if (conType)
            *conType = c.ConType;
        if (rc == TWRC_SUCCESS && c.hContainer) {
            if (hex)
                *hex = Hex(static_cast<HGLOBAL>(c.hContainer));
            ::GlobalFree(static_cast<HGLOBAL>(c.hContainer));
        }
        return rc;
    }
    TW_UINT16 SetOne(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT32 value, TW_UINT16 msg = MSG_SET) {
        HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(TW_ONEVALUE));
        auto *one = static_cast<TW_ONEVALUE *>(::GlobalLock(h));
        one->ItemType = itemType;
        one->Item = value;
        ::GlobalUnlock(h);
        TW_UINT16 rc = SetContainer(cap, TWON_ONEVALUE, h, msg);
        ::GlobalFree(h);
        return rc;
    }
    TW_UINT16 SetContainer(TW_UINT16 cap, TW_UINT16 conType, HGLOBAL h, TW_UINT16 msg = MSG_SET) {
        TW_CAPABILITY c{cap, conType, h};
        return Call(DG_CONTROL, DAT_CAPABILITY, msg, &c);
    }
    std::string Current(TW_UINT16 cap) {
        std::string hex;
        EXPECT_EQ(Ask(cap, MSG_GETCURRENT, &hex), TWRC_SUCCESS);
        return hex;
    }
    static std::string Hex(HGLOBAL h) {
        static const char digits[] = "0123456789ABCDEF";
        std::string out;
        const auto *p = static_cast<const unsigned char *>(::GlobalLock(h));
        for (SIZE_T i = 0, n = ::GlobalSize(h); i < n; ++i) {
            out += digits[p[i] >> 4];
            out += digits[p[i] & 15];
        }
        ::GlobalUnlock(h);
        return out;
    }
    static std::string Packed(const char *spaced) {
        std::string out;
        for (const char *p = spaced; *p; ++p)
            if (!std::isspace(static_cast<unsigned char>(*p)))
                out += *p;
        return out;
    }
};
