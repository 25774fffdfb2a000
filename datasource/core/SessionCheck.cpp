#include "SessionCheck.h"

#include "DataSource.h"
#include "TwainSrcApp.h"

CDataSource *SessionSource(const TwainTriplet &t) {
    CDataSource *source = TheApp().Source();
    if (!source || !t.pOrigin || t.pOrigin->Id != source->AppIdentity().Id) {
        TheApp().SetConditionCode(TWCC_BADPROTOCOL);
        return nullptr;
    }
    return source;
}
