// A data source of the tests' own that is not ours, installed beside
// corvsrc under the second name Wine's source manager tries. It only tells
// its identity (from CORV_FOREIGN_SOURCE, "maker|family|product") and opens
// and closes; the utility's list must leave it out unless it names our
// maker and family.
#include <windows.h>

#include <cstring>
#include <string>

#include "twain/twain.h"

namespace {

TW_IDENTITY Identity() {
    char identity[256] = "Other Maker|Other Family|Foreign Scanner";
    ::GetEnvironmentVariableA("CORV_FOREIGN_SOURCE", identity, sizeof identity);
    const std::string text = identity;
    const size_t a = text.find('|');
    const size_t b = text.find('|', a + 1);
    TW_IDENTITY id{};
    id.ProtocolMajor = 1;
    id.ProtocolMinor = 8;
    id.SupportedGroups = DG_CONTROL | DG_IMAGE;
    std::strncpy(id.Manufacturer, text.substr(0, a).c_str(), sizeof id.Manufacturer - 1);
    std::strncpy(id.ProductFamily, text.substr(a + 1, b - a - 1).c_str(),
                 sizeof id.ProductFamily - 1);
    std::strncpy(id.ProductName, text.substr(b + 1).c_str(), sizeof id.ProductName - 1);
    return id;
}

}  // namespace

extern "C" TW_UINT16 TW_CALLINGSTYLE DS_Entry(pTW_IDENTITY, TW_UINT32 dg, TW_UINT16 dat,
                                              TW_UINT16 msg, TW_MEMREF data) {
    if (dg != DG_CONTROL)
        return TWRC_FAILURE;
    if (dat == DAT_IDENTITY) {
        if (msg == MSG_GET || msg == MSG_OPENDS) {
            const TW_UINT32 id = reinterpret_cast<TW_IDENTITY *>(data)->Id;
            *reinterpret_cast<TW_IDENTITY *>(data) = Identity();
            if (msg == MSG_OPENDS)
                reinterpret_cast<TW_IDENTITY *>(data)->Id = id;
        }
        return TWRC_SUCCESS;
    }
    if (dat == DAT_STATUS) {
        reinterpret_cast<TW_STATUS *>(data)->ConditionCode = TWCC_SUCCESS;
        return TWRC_SUCCESS;
    }
    if (dat == DAT_EVENT)
        return TWRC_NOTDSEVENT;
    return TWRC_FAILURE;
}
