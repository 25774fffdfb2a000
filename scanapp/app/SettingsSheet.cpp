#include "SettingsSheet.h"

#include <commctrl.h>

#include <iterator>

#include "ResString.h"
#include "res/scanapp_ids.h"

namespace {
enum class EControl { Combo, Check, Radio };

const wchar_t *const kUnits[] = {L"mm", L"inch", L"pt", L"級"};
const wchar_t *const kQualities[] = {L"低品質(高圧縮率)", L"標準", L"高品質",
                                     L"最高品質(低圧縮率)"};
const wchar_t *const kBwCompressions[] = {L"なし", L"CCITT Group3", L"CCITT Group4"};
const wchar_t *const kGrayCompressions[] = {L"なし", L"JPEG"};

// The page a property-sheet page belongs to and the sheet behind it.
struct SPageParam {
    CSettingsSheet *sheet;
    int dialogId;
};
}  // namespace

// One control bound to one setting. A combo shows the setting minus
// `offset` as its selection; a check box shows whether the setting is 1; a
// radio pair shows `setting == value` on its first button.
struct CSettingsSheet::SBinding {
    int dialogId;
    int controlId;
    EControl kind;
    int CScanSettings::*field;
    const wchar_t *const *items;
    size_t itemCount;
    int offset;
    int otherButton;
};

namespace {
using SBinding = CSettingsSheet::SBinding;
const SBinding kBindings[] = {
    {IDD_PAGE_GENERAL, IDC_UNIT, EControl::Combo, &CScanSettings::Unit, kUnits, std::size(kUnits),
     1, 0},
    {IDD_PAGE_GENERAL, IDC_STARTUP, EControl::Check, &CScanSettings::Startup, nullptr, 0, 0, 0},
    {IDD_PAGE_GENERAL, IDC_ASK_COMPRESSION, EControl::Check, &CScanSettings::AskCompression,
     nullptr, 0, 0, 0},
    {IDD_PAGE_JPEG, IDC_JPEG_QUALITY, EControl::Combo, &CScanSettings::JpegQuality, kQualities,
     std::size(kQualities), 0, 0},
    {IDD_PAGE_PDF, IDC_PDF_BW, EControl::Combo, &CScanSettings::BwCompression, kBwCompressions,
     std::size(kBwCompressions), 0, 0},
    {IDD_PAGE_PDF, IDC_PDF_GRAY, EControl::Combo, &CScanSettings::GrayCompression,
     kGrayCompressions, std::size(kGrayCompressions), 0, 0},
    {IDD_PAGE_PDF, IDC_PDF_JPEG_QUALITY, EControl::Combo, &CScanSettings::PdfJpegQuality,
     kQualities, std::size(kQualities), 0, 0},
    // "ASCII" is 1; anything but a checked "Binary" is ASCII.
    {IDD_PAGE_PDF, IDC_ENCODE_ASCII, EControl::Radio, &CScanSettings::Encode, nullptr, 0, 1,
     IDC_ENCODE_BINARY},
    {IDD_PAGE_HCPDF, IDC_CORRECTION, EControl::Check, &CScanSettings::Correction, nullptr, 0, 0, 0},
};
constexpr int kPages[] = {IDD_PAGE_GENERAL, IDD_PAGE_JPEG, IDD_PAGE_PDF, IDD_PAGE_HCPDF};
}  // namespace

CSettingsSheet::CSettingsSheet(HINSTANCE module, const CScanSettings &settings,
                               const CSourceList &sources, std::optional<size_t> current)
    : m_module(module), m_values(settings), m_sources(sources), m_source(current) {}

void CSettingsSheet::Fill(HWND page, int dialogId) {
    for (const SBinding &b : kBindings) {
        if (b.dialogId != dialogId)
            continue;
        const HWND control = ::GetDlgItem(page, b.controlId);
        const int value = m_values.*b.field;
        switch (b.kind) {
            case EControl::Combo:
                for (size_t i = 0; i < b.itemCount; ++i)
                    ::SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(b.items[i]));
                // A value outside the list shows no selection rather than a wrong one.
                ::SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(value - b.offset), 0);
                break;
            case EControl::Check:
                ::SendMessageW(control, BM_SETCHECK, value == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
                break;
            case EControl::Radio:
                ::CheckRadioButton(page, b.controlId, b.otherButton,
                                   value == b.offset ? b.controlId : b.otherButton);
                break;
        }
    }
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
    for (const SBinding &b : kBindings) {
        if (b.dialogId != dialogId)
            continue;
        const HWND control = ::GetDlgItem(page, b.controlId);
        switch (b.kind) {
            case EControl::Combo: {
                const LRESULT selection = ::SendMessageW(control, CB_GETCURSEL, 0, 0);
                if (selection != CB_ERR)
                    m_values.*b.field = static_cast<int>(selection) + b.offset;
                break;
            }
            case EControl::Check:
                m_values.*b.field =
                    ::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
                break;
            case EControl::Radio:
                m_values.*b.field = ::IsDlgButtonChecked(page, b.otherButton) == BST_CHECKED
                                        ? 1 - b.offset
                                        : b.offset;
                break;
        }
    }
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
