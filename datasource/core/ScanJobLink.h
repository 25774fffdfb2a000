// What the TWAIN state machine needs from a scan job. The job itself (its
// server conversation, progress dialogs and page loop) lives with the network
// code and implements this; the source only ever holds it through here.
#pragma once

#include <functional>
#include <memory>

class CDataSource;

class IScanJob {
public:
    virtual ~IScanJob() = default;

    // Takes over the dialog's current settings again for a rescan.
    virtual void ApplyDialogSettings() = 0;
    virtual void ResetPageCount() = 0;
    // Runs the job until its first page can be transferred.
    virtual bool AdvanceToFirstPage() = 0;
    virtual void ShowErrorMessage() = 0;
    virtual void FinishPage() = 0;
    // Feeder jobs: whether another sheet is expected.
    virtual bool MorePages() = 0;
    virtual void ResetResult() = 0;
    virtual bool HasProgressDialog() const = 0;
    virtual void CloseProgressDialog() = 0;
    virtual bool IsPlaten() const = 0;
    // Set just before the job is destroyed so that its destructor knows the
    // end was asked for rather than a failure.
    virtual void MarkEnding() = 0;
};

using ScanJobFactory = std::function<std::unique_ptr<IScanJob>(CDataSource &)>;
