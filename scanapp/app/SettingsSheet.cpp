#include "SettingsSheet.h"

#include <commctrl.h>

#include <iterator>

#include "ResString.h"
#include "SettingBinding.h"
#include "res/scanapp_ids.h"

namespace {
const wchar_t *const kUnits[] = {L"mm", L"inch", L"pt", L"級"};

// The page a property-sheet page belongs to and the sheet behind it.
struct SPageParam {
    CSettingsSheet *sheet;
    int dialogId;
};

using E = EBoundControl;
const SSettingBinding kBindings[] = {
    {IDD_PAGE_GENERAL, IDC_UNIT, E::Combo, &CScanSettings::Unit, kUnits, std::size(kUnits), 1, 0},
    {IDD_PAGE_GENERAL, IDC_STARTUP, E::Check, &CScanSettings::Startup, nullptr, 0, 0, 0},
    {IDD_PAGE_GENERAL, IDC_ASK_COMPRESSION, E::Check, &CScanSettings::AskCompression, nullptr, 0, 0,
     0},
    {IDD_PAGE_JPEG, IDC_JPEG_QUALITY, E::Combo, &CScanSettings::JpegQuality, kQualityNames, 4, 0,
     0},
    {IDD_PAGE_PDF, IDC_PDF_BW, E::Combo, &CScanSettings::BwCompression, kBwCompressionNames, 3, 0,
     0},
    {IDD_PAGE_PDF, IDC_PDF_GRAY, E::Combo, &CScanSettings::GrayCompression, kGrayCompressionNames,
     2, 0, 0},
    {IDD_PAGE_PDF, IDC_PDF_JPEG_QUALITY, E::Combo, &CScanSettings::PdfJpegQuality, kQualityNames, 4,
     0, 0},
    // "ASCII" is 1; anything but a checked "Binary" is ASCII.
    {IDD_PAGE_PDF, IDC_ENCODE_ASCII, E::Radio, &CScanSettings::Encode, nullptr, 0, 1,
     IDC_ENCODE_BINARY},
    {IDD_PAGE_HCPDF, IDC_CORRECTION, E::Check, &CScanSettings::Correction, nullptr, 0, 0, 0},
};
constexpr int kPages[] = {IDD_PAGE_GENERAL, IDD_PAGE_JPEG, IDD_PAGE_PDF, IDD_PAGE_HCPDF};
}  // namespace

CSettingsSheet::CSettingsSheet(HINSTANCE module, const CScanSettings &settings,
                               const CSourceList &sources, std::optional<size_t> current)
    : m_module(module), m_values(settings), m_sources(sources), m_source(current) {}

void CSettingsSheet::Fill(HWND page, int dialogId) {
    CSettingBinding(kBindings, dialogId).Fill(page, m_values);
    if (dialogId == IDD_PAGE_GENERAL)
        FillSources(page);
}

void CSettingsSheet::FillSources(HWND page) {
    const HWND combo = ::GetDlgItem(page, IDC_SOURCE);
    for (size_t i = 0; i < m_sources.Entries().size(); ++i) {
        const std::string name = m_sources.ProductName(i);
        std::wstring wide(name.size(), L'\0');
        const int n = ::MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()),
                                            wide.data(), static_cast<int>(wide.size()));
        wide.resize(static_cast<size_t>(n > 0 ? n : 0));
        const LRESULT item =
            ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
        ::SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(item), static_cast<LPARAM>(i));
        if (m_source && *m_source == i)
            ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    }
    ::EnableWindow(combo, m_sources.Empty() ? FALSE : TRUE);
}

void CSettingsSheet::Take(HWND page, int dialogId) {
    CSettingBinding(kBindings, dialogId).Take(page, m_values);
    if (dialogId == IDD_PAGE_GENERAL) {
        const HWND combo = ::GetDlgItem(page, IDC_SOURCE);
        const LRESULT selection = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
        if (selection != CB_ERR)
            m_source = static_cast<size_t>(
                ::SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(selection), 0));
    }
}

INT_PTR CALLBACK CSettingsSheet::PageProc(HWND page, UINT msg, WPARAM, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        const auto *sheetPage = reinterpret_cast<const PROPSHEETPAGEW *>(lParam);
        auto *param = reinterpret_cast<SPageParam *>(sheetPage->lParam);
        ::SetWindowLongPtrW(page, DWLP_USER, reinterpret_cast<LONG_PTR>(param));
        param->sheet->Fill(page, param->dialogId);
        return TRUE;
    }
    auto *param = reinterpret_cast<SPageParam *>(::GetWindowLongPtrW(page, DWLP_USER));
    if (msg == WM_NOTIFY && param &&
        reinterpret_cast<const NMHDR *>(lParam)->code == static_cast<UINT>(PSN_APPLY)) {
        param->sheet->Take(page, param->dialogId);
        ::SetWindowLongPtrW(page, DWLP_MSGRESULT, PSNRET_NOERROR);
        return TRUE;
    }
    return FALSE;
}

bool CSettingsSheet::Run(HWND parent) {
    SPageParam params[std::size(kPages)];
    PROPSHEETPAGEW pages[std::size(kPages)] = {};
    for (size_t i = 0; i < std::size(kPages); ++i) {
        params[i] = SPageParam{this, kPages[i]};
        pages[i].dwSize = sizeof(PROPSHEETPAGEW);
        pages[i].hInstance = m_module;
        pages[i].pszTemplate = MAKEINTRESOURCEW(kPages[i]);
        pages[i].pfnDlgProc = PageProc;
        pages[i].lParam = reinterpret_cast<LPARAM>(&params[i]);
    }
    const std::wstring title = LoadResString(m_module, IDS_SETTINGS_TITLE);
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
    header.hwndParent = parent;
    header.hInstance = m_module;
    header.pszCaption = title.c_str();
    header.nPages = static_cast<UINT>(std::size(kPages));
    header.ppsp = pages;
    // A sheet left with Cancel must leave the copy as it was given.
    const CScanSettings before = m_values;
    const std::optional<size_t> sourceBefore = m_source;
    if (::PropertySheetW(&header) > 0)
        return true;
    m_values = before;
    m_source = sourceBefore;
    return false;
}
