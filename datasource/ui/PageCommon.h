// The base of the three setting pages: child dialogs in the main dialog's
// tab control. Each page describes its controls in a table (which record
// field, which value list, which kind of control), and this class moves
// values both ways, asks before a change drops the preview, remembers the
// last accepted state of every control, and resets to the standard choices.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <span>
#include <string>

#include "DialogBase.h"
#include "LengthLimits.h"
#include "PageOwner.h"
#include "ScanSettings.h"
#include "ValueList.h"

struct SPageControl {
    enum class EKind { List, Check, Radio, Length, Zoom };

    int id;  // the control; a radio group's first radio
    EKind kind;
    const CValueList &(*list)();  // lists, checks and radio groups
    int32_t CScanSettings::*intField;
    double CScanSettings::*realField;  // lengths
    ELimitedLength length;             // lengths
};

class CPageCommon : public CDialogBase {
public:
    CPageCommon(IPageOwner &owner, int templateId, std::span<const SPageControl> controls);

    bool Create(HWND mainDialog);
    // Controls into `settings`; with `check`, lengths out of range are
    // refused with their message and the store stops (false).
    virtual bool Store(CScanSettings &settings, bool check);
    // `settings` into the controls; the states become the remembered ones.
    void Show(const CScanSettings &settings);
    // Each control to its standard choice in table order; a refused
    // confirmation puts that control back and stops the reset (false).
    bool ResetToStandard();
    virtual void ApplyRules() = 0;
    // Range labels and default lengths in the display unit.
    virtual void ApplyUnit() {}

protected:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // A control's change was accepted: page-specific follow-ups.
    virtual void Accepted(const SPageControl &) {}
    // Whether Store's range check applies to a length edit now.
    virtual bool RangeChecked(const SPageControl &) const { return true; }
    // A command the table does not describe.
    virtual void OnOtherCommand(int /*id*/, int /*code*/) {}

    IPageOwner &Owner() const { return m_owner; }
    const SPageControl *Control(int id) const;
    // A control's state: list position, check state, radio index, the
    // edit's number in the display unit, or the zoom.
    double State(const SPageControl &c) const;
    void SetState(const SPageControl &c, double state);
    void Remember(const SPageControl &c) { m_remembered[c.id] = State(c); }
    // Sets a length edit to the unit's default and remembers it.
    void SetLengthDefault(const SPageControl &c);
    // The state `settings` gives the control.
    double StateOf(const SPageControl &c, const CScanSettings &settings) const;
    // Asks when a preview exists and the state differs from the remembered
    // one; No puts the remembered state back (false).
    bool ConfirmChange(const SPageControl &c);
    void Enable(int id, bool enable) const;
    void ShowControl(int id, bool show) const;
    // Writes a length refused or range-checked: text selected and focused.
    void FocusEdit(int id) const;
    int32_t RadioCount(const SPageControl &c) const;
    std::wstring Text(int id) const;

    // Programmatic changes do not run the change handling.
    bool m_updating = false;

private:
    void Fill(const SPageControl &c);
    void HandleChange(const SPageControl &c, int code);

    IPageOwner &m_owner;
    int m_templateId;
    std::span<const SPageControl> m_controls;
    std::map<int, double> m_remembered;
};
