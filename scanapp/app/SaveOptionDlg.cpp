#include "SaveOptionDlg.h"

#include "SettingBinding.h"
#include "res/scanapp_ids.h"

namespace {
using E = EBoundControl;
const SSettingBinding kBindings[] = {
    {IDD_JPEG_OPTION, IDC_JPEG_QUALITY, E::Combo, &CScanSettings::JpegQuality, kQualityNames, 4, 0,
     0},
    {IDD_PDF_OPTION, IDC_PDF_BW, E::Combo, &CScanSettings::BwCompression, kBwCompressionNames, 3, 0,
     0},
    {IDD_PDF_OPTION, IDC_PDF_GRAY, E::Combo, &CScanSettings::GrayCompression, kGrayCompressionNames,
     2, 0, 0},
    {IDD_PDF_OPTION, IDC_PDF_JPEG_QUALITY, E::Combo, &CScanSettings::PdfJpegQuality, kQualityNames,
     4, 0, 0},
    {IDD_PDF_OPTION, IDC_SAVE_ENCODE_ASCII, E::Radio, &CScanSettings::Encode, nullptr, 0, 1,
     IDC_SAVE_ENCODE_BINARY},
    {IDD_HCPDF_OPTION, IDC_CORRECTION, E::Check, &CScanSettings::Correction, nullptr, 0, 0, 0},
};
}  // namespace

bool CSaveOptionDlg::Run(HWND parent) {
    return RunModal(m_module, m_dialogId, parent) == IDOK;
}

BOOL CSaveOptionDlg::OnInitDialog() {
    CSettingBinding(kBindings, m_dialogId).Fill(Hwnd(), m_values);
    if (m_dialogId == IDD_PDF_OPTION)
        EnableJpegQuality();
    return TRUE;
}

void CSaveOptionDlg::EnableJpegQuality() {
    const bool jpeg = ::SendDlgItemMessageW(Hwnd(), IDC_PDF_GRAY, CB_GETCURSEL, 0, 0) == 1;
    ::EnableWindow(::GetDlgItem(Hwnd(), IDC_PDF_JPEG_QUALITY), jpeg);
    ::EnableWindow(::GetDlgItem(Hwnd(), IDC_SAVE_JPEG_QUALITY_LABEL), jpeg);
}

INT_PTR CSaveOptionDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM) {
    if (msg != WM_COMMAND)
        return FALSE;
    switch (LOWORD(wParam)) {
        case IDOK:
            CSettingBinding(kBindings, m_dialogId).Take(Hwnd(), m_values);
            EndModal(IDOK);
            return TRUE;
        case IDCANCEL:
            EndModal(IDCANCEL);
            return TRUE;
        case IDC_PDF_GRAY:
            if (HIWORD(wParam) == CBN_SELCHANGE)
                EnableJpegQuality();
            return TRUE;
        default:
            return FALSE;
    }
}

CJPEGOptionDlg::CJPEGOptionDlg(HINSTANCE module, CScanSettings &values)
    : CSaveOptionDlg(module, IDD_JPEG_OPTION, values) {}

CPDFOptionDlg::CPDFOptionDlg(HINSTANCE module, CScanSettings &values)
    : CSaveOptionDlg(module, IDD_PDF_OPTION, values) {}

CMRCPDFOptionDlg::CMRCPDFOptionDlg(HINSTANCE module, CScanSettings &values)
    : CSaveOptionDlg(module, IDD_HCPDF_OPTION, values) {}
