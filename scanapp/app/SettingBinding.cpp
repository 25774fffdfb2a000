#include "SettingBinding.h"

const wchar_t *const kQualityNames[4] = {L"低品質(高圧縮率)", L"標準", L"高品質",
                                         L"最高品質(低圧縮率)"};
const wchar_t *const kBwCompressionNames[3] = {L"なし", L"CCITT Group3", L"CCITT Group4"};
const wchar_t *const kGrayCompressionNames[2] = {L"なし", L"JPEG"};

void CSettingBinding::Fill(HWND dialog, const CScanSettings &values) const {
    for (size_t i = 0; i < m_count; ++i) {
        const SSettingBinding &b = m_table[i];
        if (b.dialogId != m_dialogId)
            continue;
        const HWND control = ::GetDlgItem(dialog, b.controlId);
        const int value = values.*b.field;
        switch (b.kind) {
            case EBoundControl::Combo:
                for (size_t k = 0; k < b.itemCount; ++k)
                    ::SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(b.items[k]));
                // A value outside the list shows no selection rather than a wrong one.
                ::SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(value - b.offset), 0);
                break;
            case EBoundControl::Check:
                ::SendMessageW(control, BM_SETCHECK, value == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
                break;
            case EBoundControl::Radio:
                ::CheckRadioButton(dialog, b.controlId, b.otherButton,
                                   value == b.offset ? b.controlId : b.otherButton);
                break;
        }
    }
}

void CSettingBinding::Take(HWND dialog, CScanSettings &values) const {
    for (size_t i = 0; i < m_count; ++i) {
        const SSettingBinding &b = m_table[i];
        if (b.dialogId != m_dialogId)
            continue;
        const HWND control = ::GetDlgItem(dialog, b.controlId);
        switch (b.kind) {
            case EBoundControl::Combo: {
                const LRESULT selection = ::SendMessageW(control, CB_GETCURSEL, 0, 0);
                if (selection != CB_ERR)
                    values.*b.field = static_cast<int>(selection) + b.offset;
                break;
            }
            case EBoundControl::Check:
                values.*b.field = ::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
                break;
            case EBoundControl::Radio:
                values.*b.field = ::IsDlgButtonChecked(dialog, b.otherButton) == BST_CHECKED
                                      ? 1 - b.offset
                                      : b.offset;
                break;
        }
    }
}
