#include "LengthEdit.h"

#include "DialogBase.h"
#include "MessageBox.h"
#include "res/settings_ids.h"

CLengthEdit::CLengthEdit(EAreaEdge edge)
    : m_edge(edge),
      m_filter([this](std::wstring_view text) { return CLengthEditRules::Accepts(text, Unit()); }) {
}

void CLengthEdit::Attach(HWND edit, IAreaEditOwner &owner) {
    m_edit = edit;
    m_owner = &owner;
    m_filter.Attach(edit);
}

ELengthUnit CLengthEdit::Unit() const {
    return m_owner ? m_owner->DisplayUnit() : ELengthUnit::Millimetre;
}

void CLengthEdit::OnChange() {
    // Text this class writes while the edit has the focus is not typing;
    // handing it back to the owner would loop when the owner re-shows the area.
    const bool typed = m_filter.OnChange();
    if (!typed || m_showing || !m_owner)
        return;
    const auto value = CLengthEditRules::Value(CDialogBase::WindowText(m_edit), Unit());
    // An emptied edit changes nothing until something is typed or it is left.
    if (value)
        m_owner->AreaEdited(
            m_edge, CUnitConversion::UnitToPixels(*value, Unit(), m_owner->AreaResolution()));
}

void CLengthEdit::OnKillFocus() {
    if (!m_owner)
        return;
    const auto value = CLengthEditRules::Value(CDialogBase::WindowText(m_edit), Unit());
    if (!value) {
        Show();
        return;
    }
    const SLengthBounds bounds =
        CLengthEditRules::AreaBounds(m_edge, m_owner->Area(), m_owner->ImageWidth(),
                                     m_owner->ImageHeight(), m_owner->AreaResolution(), Unit());
    const auto bound = CLengthEditRules::OutsideBounds(*value, bounds);
    if (!bound)
        return;
    ShowValue(*bound);
    m_owner->AreaEdited(m_edge,
                        CUnitConversion::UnitToPixels(*bound, Unit(), m_owner->AreaResolution()));
    const std::wstring format = m_owner->Strings().Load(IDS_MSG_RANGE);
    DsMessageBox(GetParent(m_edit), CLengthEditRules::RangeMessage(format, bounds, Unit()),
                 MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
}

void CLengthEdit::Show() {
    if (!m_owner)
        return;
    const int32_t pixels = CPreviewRules::Field(m_owner->Area(), m_edge);
    ShowValue(CUnitConversion::PixelsToUnit(pixels, m_owner->AreaResolution(), Unit()));
}

void CLengthEdit::ShowValue(double value) {
    m_showing = true;
    SetWindowTextW(m_edit, CUnitConversion::FormatLength(value, Unit()).c_str());
    m_showing = false;
}
