// The DG_IMAGE triplets that describe and deliver a page, and the two
// transfer set-up triplets: image information and layout, the memory,
// native (DIB) and file (BMP) transfers, and what each outcome does to the
// TWAIN state and the job. Rows come from the job's read, which takes them
// from the server or from a held prescan image.
#pragma once

#include <windows.h>

#include <optional>

#include "HeldImage.h"
#include "ScanJobLink.h"
#include "Triplet.h"

class CDataSource;
class CDibLayout;

class CTransfers {
public:
    explicit CTransfers(CDataSource &source) : m_source(source) {}
    CTransfers(const CTransfers &) = delete;
    CTransfers &operator=(const CTransfers &) = delete;

    TW_UINT16 OnImageInfo(const TwainTriplet &t);
    TW_UINT16 OnImageLayout(const TwainTriplet &t);
    TW_UINT16 OnSetupMemXfer(const TwainTriplet &t);
    TW_UINT16 OnSetupFileXfer(const TwainTriplet &t);
    TW_UINT16 OnImageMemXfer(const TwainTriplet &t);
    TW_UINT16 OnImageNativeXfer(const TwainTriplet &t);
    TW_UINT16 OnImageFileXfer(const TwainTriplet &t);
    // Reads the prescan job's page into the preview's image: a packed,
    // bottom-up DIB whose rows keep the server's byte order (the preview
    // turns colours for the screen, transfers hand them on as they are).
    // Null when the job failed or was cancelled; a failure was shown.
    HGLOBAL ReadPrescanImage(IScanJob &job);

private:
    // The page as a transfer sees it: the job's, or the held image's where
    // one is held.
    struct CPageView {
        CXferPage page;
        bool held = false;
        uint32_t rowBytes = 0;  // bytes of one read: server bytes per row or exact row size
    };
    CPageView View() const;
    // The held image's header, for its sizes only.
    std::optional<CHeldImage> HeldImage() const;

    // The next rows of the page: from the held prescan image when one is
    // held (one row per read), else from the job.
    bool ReadPage(IScanJob &job, char *buffer, uint32_t &size);
    // Reads until `want` bytes are in, the page ends or the job stops; a
    // single read may deliver less than asked (the job's read-ahead ends at
    // boundaries of its own). Returns the bytes read.
    uint32_t ReadFully(IScanJob &job, char *buffer, uint32_t want, bool &end);
    // Throws TWCC_OPERATIONERROR when the row cannot be served.
    bool ReadHeldRow(IScanJob &job, HGLOBAL held, char *buffer, uint32_t &size);

    // A user cancel of a memory or file transfer: a platen job with a held
    // image stays for the next transfer, any other ends.
    void KeepOrEndAfterCancel();
    // Reads the page row by row; each received row goes to `store` with its
    // index from the top. False when the job failed or was cancelled.
    template <typename Store>
    bool ReadRows(IScanJob &job, const CPageView &view, const CDibLayout &dib, Store store);
    // serverOrder: rows stored as received, without turning red and blue.
    HGLOBAL BuildDib(IScanJob &job, const CPageView &view, bool serverOrder = false);
    // The BMP file transfer proper; the job result says how it went.
    void WriteBmpFile(IScanJob &job, HANDLE file);

    CDataSource &m_source;
};
