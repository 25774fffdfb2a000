// One of the four area edits of the basic page: it takes lengths in the
// display unit only, hands each typed value to its owner as pixels of the
// area grid, and on leaving puts a value off the prescan image back to the
// nearest bound with the range message.
#pragma once

#include <windows.h>

#include <cstdint>

#include "LengthEditRules.h"
#include "RestrictedEdit.h"
#include "StringSource.h"

// The main dialog, as the area edits see it.
class IAreaEditOwner {
public:
    virtual ~IAreaEditOwner() = default;
    virtual ELengthUnit DisplayUnit() const = 0;
    virtual int32_t AreaResolution() const = 0;
    virtual SPreviewArea Area() const = 0;
    // The prescan image in pixels of the area grid.
    virtual int32_t ImageWidth() const = 0;
    virtual int32_t ImageHeight() const = 0;
    virtual const IStringSource &Strings() const = 0;
    // The user typed a new value for one area field.
    virtual void AreaEdited(EAreaEdge edge, int32_t pixels) = 0;
};

class CLengthEdit {
public:
    explicit CLengthEdit(EAreaEdge edge);
    CLengthEdit(const CLengthEdit &) = delete;
    CLengthEdit &operator=(const CLengthEdit &) = delete;

    void Attach(HWND edit, IAreaEditOwner &owner);
    HWND Hwnd() const { return m_edit; }

    // From the dialog's EN_CHANGE and EN_KILLFOCUS of this edit.
    void OnChange();
    void OnKillFocus();
    // The owner's area field in the display unit.
    void Show();

private:
    ELengthUnit Unit() const;
    void ShowValue(double value);

    EAreaEdge m_edge;
    HWND m_edit = nullptr;
    IAreaEditOwner *m_owner = nullptr;
    CRestrictedEdit m_filter;
    bool m_showing = false;
};
