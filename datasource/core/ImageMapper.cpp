#include "ImageMapper.h"

#include "DataSource.h"
#include "SessionCheck.h"
#include "TwainSrcApp.h"

TW_UINT16 CImageMapper::Dispatch(const TwainTriplet &t) {
    if (t.DAT < DAT_IMAGEINFO || t.DAT > DAT_PALETTE8)
        return TheApp().Fail(TWCC_BADPROTOCOL);
    CDataSource *source = SessionSource(t);
    if (!source)
        return TWRC_FAILURE;
    switch (t.DAT) {
        case DAT_IMAGEINFO:
            return source->Transfers().OnImageInfo(t);
        case DAT_IMAGELAYOUT:
            return source->Transfers().OnImageLayout(t);
        case DAT_IMAGEMEMXFER:
            return source->Transfers().OnImageMemXfer(t);
        case DAT_IMAGENATIVEXFER:
            return source->Transfers().OnImageNativeXfer(t);
        case DAT_IMAGEFILEXFER:
            return source->Transfers().OnImageFileXfer(t);
        case DAT_PALETTE8:
            return source->OnPalette8(t);
        default:
            // Colour responses, CIE colour and JPEG compression are not offered.
            return TheApp().Fail(TWCC_BADPROTOCOL);
    }
}
