#include "JobDialogs.h"

#include "CancelDlg.h"
#include "PreScanDlg.h"
#include "ScanDlg.h"

std::unique_ptr<IJobProgress> CJobDialogs::OpenProgress(EProgress kind, HWND parent,
                                                        std::function<void()> onCancel) {
    if (kind == EProgress::Prescan)
        return std::make_unique<CPreScanDlg>(m_module, parent, std::move(onCancel));
    return std::make_unique<CScanDlg>(m_module, parent, std::move(onCancel));
}

std::unique_ptr<ICancelNotice> CJobDialogs::OpenCancelNotice(HWND parent) {
    return std::make_unique<CCancelDlg>(m_module, parent);
}
