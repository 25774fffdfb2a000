#include "ControlMapper.h"

#include <memory>

#include "DataSource.h"
#include "SessionCheck.h"
#include "TwainSrcApp.h"

TW_UINT16 CControlMapper::Dispatch(const TwainTriplet &t) {
    switch (t.DAT) {
        case DAT_IDENTITY:
            return OnIdentity(t);
        case DAT_STATUS:
            return OnStatus(t);
        case DAT_CAPABILITY:
        case DAT_PENDINGXFERS:
        case DAT_SETUPMEMXFER:
        case DAT_SETUPFILEXFER:
        case DAT_USERINTERFACE:
        case DAT_XFERGROUP:
            break;
        default:
            return TheApp().Fail(TWCC_BADPROTOCOL);
    }
    CDataSource *source = SessionSource(t);
    if (!source)
        return TWRC_FAILURE;
    switch (t.DAT) {
        case DAT_CAPABILITY:
            return source->OnCapability(t);
        case DAT_PENDINGXFERS:
            return source->OnPendingXfers(t);
        case DAT_SETUPMEMXFER:
            return source->Transfers().OnSetupMemXfer(t);
        case DAT_SETUPFILEXFER:
            return source->Transfers().OnSetupFileXfer(t);
        case DAT_USERINTERFACE:
            return source->OnUserInterface(t);
        default:
            return source->OnXferGroup(t);
    }
}

TW_UINT16 CControlMapper::OnIdentity(const TwainTriplet &t) {
    CTwainSrcApp &app = TheApp();
    auto *identity = reinterpret_cast<pTW_IDENTITY>(t.pData);
    switch (t.MSG) {
        case MSG_GET:
            // Source managers ask before any origin is set up, so the origin is
            // not looked at here.
            if (!identity)
                return app.Fail(TWCC_BADVALUE);
            *identity = app.Source() ? app.Source()->SourceIdentity() : app.DefaultIdentity();
            return TWRC_SUCCESS;
        case MSG_OPENDS:
            if (CDataSource *open = app.Source()) {
                bool sameApp = t.pOrigin && t.pOrigin->Id == open->AppIdentity().Id;
                return app.Fail(sameApp ? TWCC_SEQERROR : TWCC_MAXCONNECTIONS);
            }
            if (!t.pOrigin || !identity)
                return app.Fail(TWCC_BADVALUE);
            // Construction throws TWCC_MAXCONNECTIONS when another process holds
            // the source; DS_Entry turns that into the condition code.
            app.OpenSource(std::make_unique<CDataSource>(*t.pOrigin, *identity));
            return TWRC_SUCCESS;
        case MSG_CLOSEDS:
            if (!app.Source())
                return app.Fail(TWCC_SEQERROR);
            app.CloseSource();
            return TWRC_SUCCESS;
        default:
            return app.Fail(TWCC_BADPROTOCOL);
    }
}

TW_UINT16 CControlMapper::OnStatus(const TwainTriplet &t) {
    auto *status = reinterpret_cast<pTW_STATUS>(t.pData);
    if (!status)
        return TheApp().Fail(TWCC_BADVALUE);
    status->ConditionCode = TheApp().ConditionCode();
    status->Reserved = 0;
    return TWRC_SUCCESS;
}
