// The source's one export: the entry rules that hold for every triplet, the
// event filter, and the conversion of thrown condition codes.
#include <new>

#include "DataSource.h"
#include "DsEntry.h"
#include "Triplet.h"
#include "TwainSrcApp.h"
#include "twain/TwainFailure.h"

namespace {

TW_UINT16 FilterEvent(pTW_EVENT event) {
    CTwainSrcApp &app = TheApp();
    const MSG *msg = event ? reinterpret_cast<const MSG *>(event->pEvent) : nullptr;
    if (!msg)
        return TWRC_NOTDSEVENT;
    if (msg->message == WM_QUERYENDSESSION && app.Source()) {
        // Windows is ending: the application will never get to close us.
        app.CloseSource();
        return TWRC_NOTDSEVENT;
    }
    CDataSource *source = app.Source();
    if (!source)
        return TWRC_NOTDSEVENT;
    if ((msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) && msg->wParam == VK_CONTROL &&
        source->MainDlg().Hwnd())
        source->MainDlg().OnControlKey(msg->message == WM_KEYDOWN);
    if (source->MainDlg().IsDialogMsg(msg)) {
        event->TWMessage = MSG_NULL;
        return TWRC_DSEVENT;
    }
    return TWRC_NOTDSEVENT;
}

TW_UINT16 Dispatch(const TwainTriplet &t) {
    CTwainSrcApp &app = TheApp();
    if (t.MSG == MSG_PROCESSEVENT)
        return FilterEvent(reinterpret_cast<pTW_EVENT>(t.pData));
    // A DG_CONTROL triplet keeps the previous code until it sets its own, so
    // DAT_STATUS after a failure still reports it.
    if (t.DG != DG_CONTROL && t.DAT != DAT_STATUS)
        app.SetConditionCode(TWCC_SUCCESS);
    switch (t.DG) {
        case DG_CONTROL:
            return app.ControlMapper().Dispatch(t);
        case DG_IMAGE:
            return app.ImageMapper().Dispatch(t);
        default:
            return app.Fail(TWCC_BADPROTOCOL);
    }
}

}  // namespace

extern "C" TW_UINT16 TW_CALLINGSTYLE DS_Entry(pTW_IDENTITY pOrigin, TW_UINT32 DG, TW_UINT16 DAT,
                                              TW_UINT16 MSG, TW_MEMREF pData) {
    CTwainSrcApp &app = TheApp();
    try {
        return Dispatch(TwainTriplet{pOrigin, DG, DAT, MSG, pData});
    } catch (const CTwainFailure &failure) {
        return app.Fail(failure.conditionCode);
    } catch (const std::bad_alloc &) {
        return app.Fail(TWCC_LOWMEMORY);
    } catch (...) {
        // Nothing may unwind into the application, which was not built to
        // expect our exceptions.
        return app.Fail(TWCC_BUMMER);
    }
}
