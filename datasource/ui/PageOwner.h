// What the setting pages need of the main dialog that holds them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "LengthEdit.h"
#include "ScanSettings.h"
#include "StringSource.h"
#include "UnitConversion.h"

class IPageOwner {
public:
    virtual ~IPageOwner() = default;
    virtual HINSTANCE ResourceModule() const = 0;
    virtual const IStringSource &Strings() const = 0;
    // The record the pages store into and show from.
    virtual CScanSettings &Settings() = 0;
    virtual ELengthUnit Unit() const = 0;
    // 0 platen, 1 feeder, as the radios show it.
    virtual int32_t PaperPlace() const = 0;
    // The basic page's colour mode position; -1 while it does not exist.
    virtual int32_t ColourIndex() const = 0;
    virtual bool SaveSettingsOption() = 0;
    virtual bool PhotoOption() = 0;
    virtual bool HasPreview() const = 0;
    // Ends the source's job and drops the preview: a change that makes it stale was accepted.
    virtual void DiscardPreview() = 0;
    // A control's change was accepted: the favourites' current entry
    // follows, and every page re-applies its enabling rules.
    virtual void PageChanged() = 0;
    virtual int Ask(const std::wstring &text, UINT flags) = 0;
    // What the basic page's area edits read and change.
    virtual IAreaEditOwner &AreaEditOwner() = 0;
};
