// Controls bound to settings, one table row each: a combo shows the setting
// minus `offset` as its selection; a check box shows whether the setting is
// 1; a radio pair shows `setting == offset` on its first button. The
// settings sheet and the save dialog's option dialogs fill their controls
// from a copy of the settings and take them back the same way.
#pragma once

#include <windows.h>

#include <cstddef>

#include "ScanSettings.h"

enum class EBoundControl { Combo, Check, Radio };

struct SSettingBinding {
    int dialogId;
    int controlId;
    EBoundControl kind;
    int CScanSettings::*field;
    const wchar_t *const *items;
    size_t itemCount;
    int offset;
    int otherButton;
};

// The lists the combos show.
extern const wchar_t *const kQualityNames[4];
extern const wchar_t *const kBwCompressionNames[3];
extern const wchar_t *const kGrayCompressionNames[2];

class CSettingBinding {
public:
    // The rows of `table` that belong to `dialogId`.
    template <size_t N>
    CSettingBinding(const SSettingBinding (&table)[N], int dialogId)
        : m_table(table), m_count(N), m_dialogId(dialogId) {}

    void Fill(HWND dialog, const CScanSettings &values) const;
    void Take(HWND dialog, CScanSettings &values) const;

private:
    const SSettingBinding *m_table;
    size_t m_count;
    int m_dialogId;
};
