// What the scan job shows while it runs. The dialogs themselves live with
// the source's other dialogs; the job reaches them only through these two
// interfaces, which its host hands it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class IJobProgress {
public:
    virtual ~IJobProgress() = default;
    virtual bool IsShown() const = 0;
    // The job's message pump gives the dialog its keyboard (IsDialogMessage).
    virtual HWND Window() const = 0;
    // "%d枚目" for page n, nothing for 0.
    virtual void SetPage(int32_t page) = 0;
    virtual void SetProgress(uint32_t received, uint32_t total) = 0;
    virtual void SetStatus(const std::wstring &text) = 0;
    // The look while the device waits for its operator.
    virtual void SetStoppedLook(bool stopped) = 0;
    virtual void Repaint() = 0;
};

// "キャンセル処理中": stands, its parent disabled, for as long as it lives.
class ICancelNotice {
public:
    virtual ~ICancelNotice() = default;
};

class IJobDialogs {
public:
    enum class EProgress { Scan, Prescan };

    virtual ~IJobDialogs() = default;
    // onCancel runs when the user presses Cancel; the dialog is gone by then.
    virtual std::unique_ptr<IJobProgress> OpenProgress(EProgress kind, HWND parent,
                                                       std::function<void()> onCancel) = 0;
    virtual std::unique_ptr<ICancelNotice> OpenCancelNotice(HWND parent) = 0;
};
