// What the TWAIN state machine needs from a scan job. The job itself (its
// server conversation, progress dialogs and page loop) lives with the network
// code and implements this; the source only ever holds it through here.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

class CDataSource;

// The job's view of the page a transfer delivers.
struct CXferPage {
    int32_t pixelWidth = 0;
    int32_t pixelHeight = 0;
    int bitsPerPixel = 24;
    int32_t resolution = 0;
    // Bytes per row of the server page, 0 until its image is open.
    uint32_t bytesPerRow = 0;
    uint32_t bytesReceived = 0;
    // Rows handed out from a held prescan image, and where its cut starts.
    uint32_t rowsDelivered = 0;
    int32_t leftOffset = 0;
    int32_t topOffset = 0;
    int32_t pages = 0;
};

class IScanJob {
public:
    virtual ~IScanJob() = default;

    // Takes over the dialog's current settings again for a rescan.
    virtual void ApplyDialogSettings() = 0;
    virtual void ResetPageCount() = 0;
    // Runs the job until the image of the current page can be read (at
    // once when a prescan image is held); returns the job result, 0 = ready.
    virtual int32_t Advance() = 0;
    // Delivers the next bytes of the server page: size in is the room in
    // buffer, out the bytes delivered. True when the page is complete or
    // the job failed.
    virtual bool Read(char *buffer, uint32_t &size) = 0;
    // Rows of a held prescan image are counted with the job, so a new job
    // starts the image over.
    virtual void SetRowsDelivered(uint32_t rows) = 0;
    virtual int32_t Result() const = 0;
    virtual void SetResult(int32_t result) = 0;
    void ResetResult() { SetResult(0); }
    virtual CXferPage Page() const = 0;
    // Cuts the pixel size to the last page size the server announced.
    virtual void ClipToModulePageSize() = 0;
    // After a native transfer gave up on a page: the server is told the
    // image is not wanted and the page counts as delivered.
    virtual void AbandonImage() = 0;
    virtual void ShowErrorMessage() = 0;
    virtual void FinishPage() = 0;
    // Feeder jobs: whether another sheet is expected.
    virtual bool MorePages() = 0;
    virtual bool HasProgressDialog() const = 0;
    // The progress dialog's window while it is shown, else null.
    virtual HWND ProgressWindow() const = 0;
    virtual void CloseProgressDialog() = 0;
    virtual bool IsPlaten() const = 0;
    // Set just before the job is destroyed so that its destructor knows the
    // end was asked for rather than a failure.
    virtual void MarkEnding() = 0;
};

// prescan: the job scans the platen once for the preview.
using ScanJobFactory = std::function<std::unique_ptr<IScanJob>(CDataSource &, bool prescan)>;
