#include "JobDialogs.h"

#include "CancelDlg.h"
#include "ScanDlg.h"

std::unique_ptr<IJobProgress> CJobDialogs::OpenProgress(EProgress kind, HWND parent,
                                                        std::function<void()> onCancel) {
    return std::make_unique<CScanDlg>(kind, m_module, parent, std::move(onCancel));
}

std::unique_ptr<ICancelNotice> CJobDialogs::OpenCancelNotice(HWND parent) {
    return std::make_unique<CCancelDlg>(m_module, parent);
}
