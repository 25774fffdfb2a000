// The scan job's dialogs as the source shows them, from its own templates.
#pragma once

#include "JobProgress.h"

class CJobDialogs : public IJobDialogs {
public:
    explicit CJobDialogs(HINSTANCE module) : m_module(module) {}

    std::unique_ptr<IJobProgress> OpenProgress(EProgress kind, HWND parent,
                                               std::function<void()> onCancel) override;
    std::unique_ptr<ICancelNotice> OpenCancelNotice(HWND parent) override;

private:
    HINSTANCE m_module;
};
