#include "PageCommon.h"

#include "PageRules.h"
#include "TextFormat.h"
#include "res/corvsrc_ids.h"

CPageCommon::CPageCommon(IPageOwner &owner, int templateId, std::span<const SPageControl> controls)
    : m_owner(owner), m_templateId(templateId), m_controls(controls) {}

bool CPageCommon::Create(HWND mainDialog) {
    return CreateDialogFrom(m_owner.ResourceModule(), m_templateId, mainDialog);
}

BOOL CPageCommon::OnInitDialog() {
    m_updating = true;
    for (const SPageControl &c : m_controls)
        Fill(c);
    ApplyUnit();
    if (m_owner.SaveSettingsOption())
        Show(m_owner.Settings());
    for (const SPageControl &c : m_controls)
        Remember(c);
    m_updating = false;
    ApplyRules();
    return FALSE;
}

void CPageCommon::Fill(const SPageControl &c) {
    if (!c.list) {
        return;
    }
    const CValueList &list = c.list();
    if (c.kind == SPageControl::EKind::List) {
        HWND box = GetDlgItem(Hwnd(), c.id);
        SendMessageW(box, CB_RESETCONTENT, 0, 0);
        for (const SValueEntry &e : list.Entries()) {
            const std::wstring label = m_owner.Strings().Load(e.labelId);
            SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label.c_str()));
        }
    }
    SetState(c, list.DefaultIndex());
}

const SPageControl *CPageCommon::Control(int id) const {
    for (const SPageControl &c : m_controls) {
        const int last = c.kind == SPageControl::EKind::Radio ? c.id + RadioCount(c) - 1 : c.id;
        if (id >= c.id && id <= last)
            return &c;
    }
    return nullptr;
}

int32_t CPageCommon::RadioCount(const SPageControl &c) const {
    return c.list ? static_cast<int32_t>(c.list().Count()) : 0;
}

std::wstring CPageCommon::Text(int id) const {
    wchar_t text[64] = {};
    GetDlgItemTextW(Hwnd(), id, text, 64);
    return text;
}

double CPageCommon::State(const SPageControl &c) const {
    switch (c.kind) {
        case SPageControl::EKind::List:
            return static_cast<double>(SendDlgItemMessageW(Hwnd(), c.id, CB_GETCURSEL, 0, 0));
        case SPageControl::EKind::Check:
            return IsDlgButtonChecked(Hwnd(), c.id) == BST_CHECKED ? 1 : 0;
        case SPageControl::EKind::Radio:
            for (int32_t i = 0; i < RadioCount(c); ++i)
                if (IsDlgButtonChecked(Hwnd(), c.id + i) == BST_CHECKED)
                    return i;
            return -1;
        case SPageControl::EKind::Length:
            return CTextFormat::ParseDecimal(Text(c.id)).value_or(0);
        case SPageControl::EKind::Zoom:
            return CPageRules::ZoomFromText(Text(c.id));
    }
    return 0;
}

void CPageCommon::SetState(const SPageControl &c, double state) {
    const bool wasUpdating = m_updating;
    m_updating = true;
    const auto index = static_cast<int32_t>(state);
    switch (c.kind) {
        case SPageControl::EKind::List:
            SendDlgItemMessageW(Hwnd(), c.id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
            break;
        case SPageControl::EKind::Check:
            CheckDlgButton(Hwnd(), c.id, index == 1 ? BST_CHECKED : BST_UNCHECKED);
            break;
        case SPageControl::EKind::Radio:
            for (int32_t i = 0; i < RadioCount(c); ++i)
                CheckDlgButton(Hwnd(), c.id + i, i == index ? BST_CHECKED : BST_UNCHECKED);
            break;
        case SPageControl::EKind::Length:
            SetDlgItemTextW(Hwnd(), c.id,
                            CUnitConversion::FormatLength(state, m_owner.Unit()).c_str());
            break;
        case SPageControl::EKind::Zoom:
            SetDlgItemInt(Hwnd(), c.id, static_cast<UINT>(index), FALSE);
            break;
    }
    m_updating = wasUpdating;
}

void CPageCommon::SetLengthDefault(const SPageControl &c) {
    SetState(c, StateOf(c, CScanSettings::Standard()));
    Remember(c);
}

double CPageCommon::StateOf(const SPageControl &c, const CScanSettings &settings) const {
    switch (c.kind) {
        case SPageControl::EKind::Length: {
            // As the edit would show it, so that an unchanged edit compares equal.
            const std::wstring shown =
                CUnitConversion::FormatMm(settings.*c.realField, m_owner.Unit());
            return CTextFormat::ParseDecimal(shown).value_or(0);
        }
        case SPageControl::EKind::Zoom:
            return CPageRules::ZoomFromText(std::to_wstring(settings.*c.intField));
        case SPageControl::EKind::Check: {
            // A choice not offered (-1) shows unchecked.
            const int32_t index = c.list().CodeToIndex(settings.*c.intField);
            return index < 0 ? 0 : index;
        }
        default: {
            const int32_t index = c.list().CodeToIndex(settings.*c.intField);
            return index < 0 ? c.list().DefaultIndex() : index;
        }
    }
}

void CPageCommon::Show(const CScanSettings &settings) {
    for (const SPageControl &c : m_controls) {
        SetState(c, StateOf(c, settings));
        Remember(c);
    }
    ApplyRules();
}

bool CPageCommon::Store(CScanSettings &settings, bool check) {
    for (const SPageControl &c : m_controls) {
        const double state = State(c);
        switch (c.kind) {
            case SPageControl::EKind::Length:
                if (check && RangeChecked(c)) {
                    const SLimitCheck r = CLengthLimits(m_owner.Strings())
                                              .Check(c.length, m_owner.Unit(), Text(c.id));
                    if (!r.accepted) {
                        m_owner.Ask(r.message, MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
                        // The main dialog, disabled while it stores, takes
                        // input again so that the edit can have the focus.
                        EnableWindow(GetParent(Hwnd()), TRUE);
                        FocusEdit(c.id);
                        return false;
                    }
                }
                settings.*c.realField = CUnitConversion::UnitToMm(state, m_owner.Unit());
                break;
            case SPageControl::EKind::Zoom:
                settings.*c.intField = static_cast<int32_t>(state);
                break;
            default: {
                // Codes may be negative (the density runs from -3): a
                // position outside the list is what falls back to the default.
                const auto index = static_cast<int32_t>(state);
                const bool listed = index >= 0 && index < static_cast<int32_t>(c.list().Count());
                settings.*c.intField =
                    listed ? c.list().IndexToCode(index) : c.list().DefaultCode();
                break;
            }
        }
    }
    return true;
}

bool CPageCommon::ResetToStandard() {
    const CScanSettings standard = CScanSettings::Standard();
    for (const SPageControl &c : m_controls) {
        const double target = StateOf(c, standard);
        if (State(c) == target)
            continue;
        SetState(c, target);
        if (!ConfirmChange(c))
            return false;
        Remember(c);
    }
    return true;
}

bool CPageCommon::ConfirmChange(const SPageControl &c) {
    const auto remembered = m_remembered.find(c.id);
    if (!m_owner.HasPreview() || remembered == m_remembered.end() || State(c) == remembered->second)
        return true;
    const std::wstring question = m_owner.Strings().Load(IDS_CONFIRM_DISCARD_PREVIEW);
    if (m_owner.Ask(question, MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL) == IDYES) {
        m_owner.DiscardPreview();
        return true;
    }
    SetState(c, remembered->second);
    return false;
}

void CPageCommon::HandleChange(const SPageControl &c, int code) {
    using EKind = SPageControl::EKind;
    const bool edge = c.kind == EKind::Length && c.length == ELimitedLength::EdgeErase;
    switch (c.kind) {
        case EKind::List:
            if (code != CBN_SELCHANGE)
                return;
            break;
        case EKind::Check:
        case EKind::Radio:
            if (code != BN_CLICKED)
                return;
            break;
        case EKind::Length:
            // Custom sizes reach the favourites when the edit is left; the
            // edge erase at every keystroke.
            if (code == EN_KILLFOCUS && !edge) {
                m_owner.PageChanged();
                return;
            }
            if (code != EN_CHANGE)
                return;
            if (!ConfirmChange(c))
                return;
            Remember(c);
            Accepted(c);
            if (edge)
                m_owner.PageChanged();
            return;
        case EKind::Zoom:
            if (code != EN_KILLFOCUS)
                return;
            SetState(c, State(c));
            break;
    }
    if (!ConfirmChange(c))
        return;
    Remember(c);
    Accepted(c);
    m_owner.PageChanged();
}

INT_PTR CPageCommon::OnMessage(UINT msg, WPARAM wParam, LPARAM) {
    if (msg != WM_COMMAND || m_updating)
        return FALSE;
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (const SPageControl *c = Control(id))
        HandleChange(*c, code);
    else
        OnOtherCommand(id, code);
    return FALSE;
}

void CPageCommon::Enable(int id, bool enable) const {
    if (HWND h = GetDlgItem(Hwnd(), id))
        EnableWindow(h, enable ? TRUE : FALSE);
}

void CPageCommon::ShowControl(int id, bool show) const {
    if (HWND h = GetDlgItem(Hwnd(), id))
        ShowWindow(h, show ? SW_SHOW : SW_HIDE);
}

void CPageCommon::FocusEdit(int id) const {
    HWND edit = GetDlgItem(Hwnd(), id);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SetFocus(edit);
}
