#include "MainDlg.h"

#include <commctrl.h>

#include <string>

#include "AnsiText_win.h"
#include "DiagLog.h"
#include "DocumentSizes.h"
#include "FavoriteStorage.h"
#include "FavoriteSummary.h"
#include "MessageBox.h"
#include "PageRules.h"
#include "PreviewRules.h"
#include "ResString.h"
#include "ScanUiMessages.h"
#include "SelSrvDlg.h"
#include "SettingsLocator_win.h"
#include "SettingsPaths.h"
#include "VersionDlg.h"
#include "res/corvsrc_ids.h"
#include "res/favorite_dialogs_ids.h"
#include "res/main_dialog_ids.h"

namespace {

// Controls that follow the right edge when the window grows, and those that
// follow the bottom edge; the rulers and the preview stretch.
constexpr int kMoveRight[] = {IDC_SELECT_BTN,    IDC_ZOOM_BTN,      IDC_HAND_BTN,
                              IDC_SHADOW_BTN,    IDC_HIGHLIGHT_BTN, IDC_IMAGE_STATIC,
                              IDC_VERSION,       IDC_PAPER_GROUP,   IDC_FAVORITES_LABEL,
                              IDC_FAVORITES,     IDC_FAVORITE_SAVE, IDC_FAVORITE_LIST,
                              IDC_UNIT_LABEL,    IDC_PAPER_PLATEN,  IDC_PAPER_FEEDER,
                              IDC_UNIT,          IDC_TABS,          IDC_FILENAME_LABEL,
                              IDC_FILENAME_EDIT, IDC_PRESCAN,       IDC_SCAN,
                              IDC_CLOSE};
constexpr int kMoveDown[] = {IDC_ESTIMATED_SIZE, IDC_SERVER, IDC_SAVE_DEST, IDC_RESET_STANDARD};
constexpr int kPointerButtons[] = {IDC_SELECT_BTN, IDC_ZOOM_BTN, IDC_HAND_BTN};
constexpr UINT kTabTexts[] = {IDS_TAB_BASIC, IDS_TAB_QUALITY, IDS_TAB_INPUT};
constexpr const wchar_t *kUnits[] = {L"mm", L"inch", L"pt", L"級"};
// Where the pages sit inside the tab control, in client pixels.
constexpr POINT kPageOffset{1, 22};

RECT ChildRect(HWND parent, HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&r), 2);
    return r;
}

void MoveBy(HWND parent, HWND child, int dx, int dy, int dw, int dh) {
    if (!child)
        return;
    const RECT r = ChildRect(parent, child);
    MoveWindow(child, r.left + dx, r.top + dy, r.right - r.left + dw, r.bottom - r.top + dh, FALSE);
}

}  // namespace

CMainDlg *CMainDlg::s_mainDlg = nullptr;

CMainDlg::CMainDlg(IMainDlgHost &source) : m_source(source), m_strings(source.ResourceModule()) {
    if (s_mainDlg)
        WriteLog("CMainDlg::CMainDlg(), sMainDlg not NULL.");
    else
        s_mainDlg = this;
}

CMainDlg::~CMainDlg() {
    DestroyDialog();
    if (s_mainDlg == this)
        s_mainDlg = nullptr;
}

CSettingsStore &CMainDlg::Store() {
    if (!m_files)
        m_files = std::make_unique<CSettingsFiles>(CSettingsLocator::UserFolder(m_strings),
                                                   m_source.ProfilePath());
    return m_files->Store();
}

bool CMainDlg::Create(HWND parent) {
    if (IsOpen())
        return true;
    INITCOMMONCONTROLSEX icc{sizeof(icc),
                             ICC_TAB_CLASSES | ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS};
    ::InitCommonControlsEx(&icc);
    m_parent = parent;
    m_minTrack = m_client = SIZE{};
    return CreateDialogFrom(m_source.ResourceModule(), IDD_MAIN, parent);
}

void CMainDlg::Show() {
    if (IsOpen())
        ::ShowWindow(Hwnd(), SW_SHOW);
}

void CMainDlg::Enable(bool enable) {
    if (Hwnd())
        ::EnableWindow(Hwnd(), enable ? TRUE : FALSE);
}

void CMainDlg::SetScanButtonText(const wchar_t *text) {
    if (Hwnd())
        ::SetDlgItemTextW(Hwnd(), IDC_SCAN, text);
}

void CMainDlg::RefreshState() {
    if (Hwnd())
        ::InvalidateRect(Hwnd(), nullptr, TRUE);
}

CScanArea CMainDlg::ScanArea() const {
    CScanArea area;
    if (m_files) {
        const CScanSettings &s = m_files->Store().Settings;
        area = CScanArea{s.AreaTop, s.AreaLeft, s.AreaWidth, s.AreaHeight, s.AreaResolution};
    }
    if (area.resolution <= 0)
        area.resolution = static_cast<int32_t>(m_source.CurrentResolution());
    return area;
}

void CMainDlg::SetScanArea(const CScanArea &area) {
    SetArea(SPreviewArea{area.top, area.left, area.width, area.height});
    Settings().AreaResolution = area.resolution;
    if (Hwnd()) {
        m_basic.ShowArea();
        ShowEstimatedSize();
    }
}

void CMainDlg::SetHeldImage(HGLOBAL image) {
    if (image)
        m_preview.SetImage(image);
    else
        m_preview.Clear();
}

void CMainDlg::OnControlKey(bool down) {
    // Control flips the zoom tool between zooming in and out while held.
    if (down && m_pointer == PointerMode::ZoomIn)
        m_pointer = PointerMode::ZoomOut;
    else if (!down && m_pointer == PointerMode::ZoomOut)
        m_pointer = PointerMode::ZoomIn;
    m_preview.RefreshCursor();
}

void CMainDlg::SetPointer(PointerMode mode) {
    m_pointer = mode;
    const bool zoom = mode == PointerMode::ZoomIn || mode == PointerMode::ZoomOut;
    m_pointerButtons[0].SetLatched(mode == PointerMode::Select);
    m_pointerButtons[1].SetLatched(zoom);
    m_pointerButtons[2].SetLatched(mode == PointerMode::Hand);
    m_preview.RefreshCursor();
}

bool CMainDlg::IsDialogMsg(const MSG *msg) {
    return Hwnd() && ::IsDialogMessageW(Hwnd(), const_cast<MSG *>(msg));
}

ELengthUnit CMainDlg::Unit() const {
    return CUnitConversion::FromCode(m_files ? m_files->Store().Settings.Unit : 0);
}

int32_t CMainDlg::AreaResolution() const {
    return m_files ? m_files->Store().Settings.AreaResolution : 0;
}

SPreviewArea CMainDlg::Area() const {
    if (!m_files)
        return {};
    const CScanSettings &s = m_files->Store().Settings;
    return SPreviewArea{s.AreaTop, s.AreaLeft, s.AreaWidth, s.AreaHeight};
}

int32_t CMainDlg::ImageSide(int32_t pixels) const {
    if (!HasPreview())
        return 0;
    if (m_previewResolution <= 0)
        return pixels;
    return CUnitConversion::RescalePixels(pixels, m_previewResolution, AreaResolution());
}

int32_t CMainDlg::ImageWidth() const {
    return ImageSide(m_previewWidth);
}

int32_t CMainDlg::ImageHeight() const {
    return ImageSide(m_previewHeight);
}

void CMainDlg::SetArea(const SPreviewArea &area) {
    CScanSettings &s = Settings();
    s.AreaTop = area.top;
    s.AreaLeft = area.left;
    s.AreaWidth = area.width;
    s.AreaHeight = area.height;
    m_preview.SetSelection(area);
}

void CMainDlg::AreaEdited(EAreaEdge edge, int32_t pixels) {
    SetArea(CPreviewRules::ApplyEdit(Area(), edge, pixels, ImageWidth(), ImageHeight()));
    if (edge == EAreaEdge::Width || edge == EAreaEdge::Height)
        ShowEstimatedSize();
}

void CMainDlg::PreviewSelected(const SPreviewArea &area) {
    SetArea(area);
    m_basic.ShowArea();
    ShowEstimatedSize();
}

void CMainDlg::PreviewMoved(int32_t zoom, int32_t originX, int32_t originY) {
    ShowRulers(zoom, originX, originY);
}

int32_t CMainDlg::PaperPlace() const {
    return Hwnd() && ::IsDlgButtonChecked(Hwnd(), IDC_PAPER_FEEDER) == BST_CHECKED ? 1 : 0;
}

int CMainDlg::Ask(const std::wstring &text, UINT flags) {
    return DsMessageBox(Hwnd(), text, flags);
}

CPageCommon *CMainDlg::Page(int index) {
    CPageCommon *pages[] = {&m_basic, &m_quality, &m_input};
    return index >= 0 && index < 3 && pages[index]->IsOpen() ? pages[index] : nullptr;
}

// ---- Initialisation -----------------------------------------------------------

void CMainDlg::RequestUnit() {
    CGlobalMem block(::GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, sizeof(SCANARGUMENTDETAILS)));
    if (!block) {
        WriteLog("CMainDlg::OnCreate(), ::GlobalAlloc(sizeof(SCANARGUMENTDETAILS)) error return");
        return;
    }
    auto *details = static_cast<SCANARGUMENTDETAILS *>(::GlobalLock(block.Get()));
    if (!details) {
        WriteLog(
            "CMainDlg::OnCreate(), (SCANARGUMENTDETAILS*)::GlobalLock(hScanParamDetail) error "
            "return");
        return;
    }
    *details = SCANARGUMENTDETAILS{};
    details->dialogWindow = CScanUiMessages::BlockFromWindow(Hwnd());
    ::GlobalUnlock(block.Get());
    m_unitAnswered = false;
    if (m_parent)
        ::SendMessageW(m_parent, CScanUiMessages::ParamRequest(),
                       reinterpret_cast<WPARAM>(block.Get()), 0);
    // The answer frees the block; an application that does not answer
    // leaves it to us.
    if (m_unitAnswered)
        block.Release();
}

void CMainDlg::OnUnitAnswer(HGLOBAL block) {
    if (!block)
        return;
    auto *details = static_cast<SCANARGUMENTDETAILS *>(::GlobalLock(block));
    if (!details)
        return;
    Store().SetUnitFromScanUtility(details->unit);
    ::GlobalUnlock(block);
    ::GlobalFree(block);
    m_unitAnswered = true;
    Store().ReloadSaveSettingsOption();
}

void CMainDlg::OnEnableProgress(bool enable) {
    if (HWND progress = m_source.ProgressWindow()) {
        ::EnableWindow(progress, enable ? TRUE : FALSE);
        ::BringWindowToTop(progress);
    }
}

BOOL CMainDlg::OnInitDialog() {
    CSettingsStore &store = Store();
    // What the window's creation does before the dialog initialises.
    store.Settings.AreaLeft = store.Settings.AreaTop = 0;
    store.Settings.AreaWidth = store.Settings.AreaHeight = 0;
    store.Settings.AreaResolution = static_cast<int32_t>(m_source.CurrentResolution());
    store.LoadUnit();
    RequestUnit();

    store.LoadOptions();
    ::SetWindowTextW(Hwnd(), m_strings.Load(IDS_APP_TITLE).c_str());
    m_companion = CSettingsStore::IsCompanionParent(m_source.ParentTitle());
    store.LoadServerSettings(m_source.ParentTitle());
    ShowServerText();
    ::SetDlgItemTextW(Hwnd(), IDC_SAVE_DEST, m_strings.Load(IDS_SAVE_DEST_PREFIX).c_str());

    HWND tabs = ::GetDlgItem(Hwnd(), IDC_TABS);
    for (int i = 0; i < 3; ++i) {
        std::wstring text = m_strings.Load(kTabTexts[i]);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        ::SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    store.LoadScanSettings();
    store.LoadFavoriteName();
    CreatePages();

    ::CheckRadioButton(Hwnd(), IDC_PAPER_PLATEN, IDC_PAPER_FEEDER,
                       store.Settings.PaperPlace == 0 ? IDC_PAPER_PLATEN : IDC_PAPER_FEEDER);
    RefreshRules();
    HWND units = ::GetDlgItem(Hwnd(), IDC_UNIT);
    ::SendMessageW(units, CB_RESETCONTENT, 0, 0);
    for (const wchar_t *unit : kUnits)
        ::SendMessageW(units, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(unit));
    ::SendMessageW(units, CB_SETCURSEL, static_cast<WPARAM>(Unit()), 0);
    OnUnitChange();

    for (int id : {IDC_FILENAME_LABEL, IDC_FILENAME_EDIT, IDC_SAVE_DEST}) {
        ::ShowWindow(::GetDlgItem(Hwnd(), id), m_companion ? SW_SHOW : SW_HIDE);
        ::EnableWindow(::GetDlgItem(Hwnd(), id), m_companion);
    }
    ::ShowWindow(::GetDlgItem(Hwnd(), IDC_SERVER), m_companion ? SW_HIDE : SW_SHOW);
    ::EnableWindow(::GetDlgItem(Hwnd(), IDC_SERVER), !m_companion);
    BuildFavorites(std::nullopt);

    m_preview.Create(Hwnd(), IDC_PREVIEW, *this);
    const int pictures[] = {IDB_SELECT_BTN, IDB_ZOOM_BTN, IDB_HAND_BTN};
    for (int i = 0; i < 3; ++i)
        m_pointerButtons[i].Attach(::GetDlgItem(Hwnd(), kPointerButtons[i]),
                                   m_source.ResourceModule(), pictures[i]);
    SetPointer(m_pointer);
    AttachRulers();
    for (int id : kPointerButtons)
        ::EnableWindow(::GetDlgItem(Hwnd(), id), HasPreview());
    ShowEstimatedSize();
    UpdateScanButtons();

    // One pixel taller: the first WM_SIZE records the smallest size.
    RECT r{};
    ::GetWindowRect(Hwnd(), &r);
    ::SetWindowPos(Hwnd(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top + 1,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    HWND prescan = ::GetDlgItem(Hwnd(), IDC_PRESCAN);
    if (::IsWindowEnabled(prescan)) {
        ::SetFocus(prescan);
        return FALSE;
    }
    return TRUE;
}

void CMainDlg::CreatePages() {
    HWND tabs = ::GetDlgItem(Hwnd(), IDC_TABS);
    const RECT tabRect = ChildRect(Hwnd(), tabs);
    for (int i = 0; i < 3; ++i) {
        CPageCommon *pages[] = {&m_basic, &m_quality, &m_input};
        if (!pages[i]->Create(Hwnd()))
            continue;
        // Right behind the tab control in the tab order.
        ::SetWindowPos(pages[i]->Hwnd(), tabs, tabRect.left + kPageOffset.x,
                       tabRect.top + kPageOffset.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    }
    m_basic.EnableAreaEdits(HasPreview());
    ShowPage(0);
}

void CMainDlg::ShowPage(int index) {
    for (int i = 0; i < 3; ++i)
        if (CPageCommon *page = Page(i))
            ::ShowWindow(page->Hwnd(), i == index ? SW_SHOW : SW_HIDE);
}

bool CMainDlg::HasConnectionTarget() {
    // The companion application brings its own destination; nothing in this
    // source sets one, so in that mode scanning stays off.
    return m_companion ? false : !Store().Server.Server.empty();
}

void CMainDlg::UpdateScanButtons() {
    // Prescan keeps to the platen; neither starts without a connection target.
    const bool target = HasConnectionTarget();
    ::EnableWindow(::GetDlgItem(Hwnd(), IDC_PRESCAN), target && PaperPlace() == 0);
    ::EnableWindow(::GetDlgItem(Hwnd(), IDC_SCAN), target);
}

// ---- Commands -----------------------------------------------------------------

bool CMainDlg::StorePages(bool check) {
    for (int i = 0; i < 3; ++i)
        if (CPageCommon *page = Page(i); page && !page->Store(Settings(), check))
            return false;
    return true;
}

void CMainDlg::Scan() {
    Enable(false);
    if (!m_companion && Store().Server.Server.empty()) {
        Ask(m_strings.Load(IDS_NO_HOST), MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
        Enable(true);
        return;
    }
    if (!StorePages(true)) {
        Enable(true);
        return;
    }
    if (HasPreview() && PaperPlace() == 1)
        DiscardPreview();
    m_source.ScanStart();
    ClampAreaToPaper();
}

void CMainDlg::OnPrescan() {
    Enable(false);
    const SPreviewArea saved = Area();
    if (!StorePages(true)) {
        Enable(true);
        return;
    }
    if (HasPreview())
        DiscardPreview();
    SetArea(SPreviewArea{});
    m_previewState = kPrescanning;
    HGLOBAL image = m_source.Prescan();
    if (!image || !m_preview.SetImage(image)) {
        m_previewState = kNoPreview;
        ShowEstimatedSize();
        Enable(true);
        WriteLog("CMainDlg::OnPrescan(), return");
        return;
    }
    // The selection made before comes back, moved and cut onto the new image.
    SetArea(CPreviewRules::ClampToImage(saved, m_preview.ImageWidth(), m_preview.ImageHeight()));
    ::EnableWindow(::GetDlgItem(Hwnd(), IDC_PAPER_FEEDER), TRUE);
    ShowPreview(m_preview.ImageWidth(), m_preview.ImageHeight(), Settings().AreaResolution);
    Enable(true);
}

void CMainDlg::ClampAreaToPaper() {
    CScanSettings &s = Settings();
    int32_t width = 0, height = 0;
    if (s.InputMediumSize == CDocumentSizes::kAutoDetect) {
        width = m_previewWidth;
        height = m_previewHeight;
    } else if (auto paper = CDocumentSizes(m_strings).Size(s.InputMediumSize)) {
        width = CUnitConversion::MmToPixels(paper->widthMm, s.AreaResolution);
        height = CUnitConversion::MmToPixels(paper->heightMm, s.AreaResolution);
    } else {
        // The custom size bounds the area as a paper would.
        width = CUnitConversion::MmToPixels(s.InputMediumCustomWidth, s.AreaResolution);
        height = CUnitConversion::MmToPixels(s.InputMediumCustomHeight, s.AreaResolution);
    }
    s.AreaWidth = std::min(s.AreaWidth, width);
    s.AreaHeight = std::min(s.AreaHeight, height);
}

void CMainDlg::ShowServerText() {
    const std::wstring text =
        m_strings.Load(IDS_SERVER_PREFIX) + CAnsiText::ToWide(Store().Server.Server);
    ::SetDlgItemTextW(Hwnd(), IDC_SERVER, text.c_str());
}

void CMainDlg::OnServer() {
    CSelSrvDlg dialog(m_source.ResourceModule(), Store().Server);
    if (dialog.Run(Hwnd()) != IDOK)
        return;
    if (HasPreview())
        DiscardPreview();
    Store().Server = dialog.Settings();
    ShowServerText();
    Store().SaveServerSettings(m_source.ParentTitle());
    UpdateScanButtons();
}

void CMainDlg::Close() {
    StorePages(false);
    const auto selected = ::SendDlgItemMessageW(Hwnd(), IDC_FAVORITES, CB_GETCURSEL, 0, 0);
    if (selected >= 0)
        Store().FavoriteName = CAnsiText::FromWide(FavoriteText(static_cast<size_t>(selected)));
    if (SaveSettingsOption())
        Store().SaveAtClose();
    m_source.Cancel();
}

void CMainDlg::OnPaperPlace(int32_t place) {
    const int32_t before = Settings().PaperPlace == 0 ? 0 : 1;
    if (place != before && HasPreview()) {
        if (Ask(m_strings.Load(IDS_CONFIRM_DISCARD_PREVIEW),
                MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL) != IDYES) {
            ::CheckRadioButton(Hwnd(), IDC_PAPER_PLATEN, IDC_PAPER_FEEDER,
                               before == 0 ? IDC_PAPER_PLATEN : IDC_PAPER_FEEDER);
            return;
        }
        DiscardPreview();
    }
    ::CheckRadioButton(Hwnd(), IDC_PAPER_PLATEN, IDC_PAPER_FEEDER,
                       place == 0 ? IDC_PAPER_PLATEN : IDC_PAPER_FEEDER);
    Settings().PaperPlace = place;
    UpdateScanButtons();
    RefreshRules();
}

void CMainDlg::OnUnitChange() {
    const auto position = ::SendDlgItemMessageW(Hwnd(), IDC_UNIT, CB_GETCURSEL, 0, 0);
    Settings().Unit = position < 0 ? 0 : static_cast<int32_t>(position);
    m_basic.ApplyUnit();
    m_input.ApplyUnit();
    m_basic.ShowArea();
    ShowRulers(m_rulerView.zoom, m_rulerView.origin, m_rulerOriginY);
}

void CMainDlg::AttachRulers() {
    HWND horizontal = ::GetDlgItem(Hwnd(), IDC_RULER_H);
    const RECT r = ChildRect(Hwnd(), horizontal);
    // Both rulers label in half the horizontal ruler's height.
    const int labelHeight = (r.bottom - r.top) / 2;
    m_rulerH.Attach(horizontal, CScale::EOrientation::Horizontal, labelHeight);
    m_rulerV.Attach(::GetDlgItem(Hwnd(), IDC_RULER_V), CScale::EOrientation::Vertical, labelHeight);
    ShowRulers(m_rulerView.zoom, m_rulerView.origin, m_rulerOriginY);
}

void CMainDlg::ShowRulers(int32_t zoom, int32_t originX, int32_t originY) {
    // The rulers measure the image's own pixels.
    m_rulerView.dpi =
        HasPreview() && m_previewResolution > 0 ? m_previewResolution : Settings().AreaResolution;
    m_rulerView.unit = Unit();
    m_rulerView.zoom = zoom;
    m_rulerView.origin = originX;
    m_rulerOriginY = originY;
    m_rulerH.SetView(m_rulerView);
    SScaleView vertical = m_rulerView;
    vertical.origin = originY;
    m_rulerV.SetView(vertical);
}

void CMainDlg::ResetToStandard() {
    for (int id : {IDC_PAPER_PLATEN, IDC_PAPER_FEEDER})
        ::EnableWindow(::GetDlgItem(Hwnd(), id), TRUE);
    OnPaperPlace(0);
    for (int i = 0; i < 3; ++i)
        if (CPageCommon *page = Page(i); page && !page->ResetToStandard())
            break;
    PageChanged();
}

void CMainDlg::RefreshRules() {
    m_basic.ApplyRules();
    m_quality.ApplyRules();
    m_input.ApplyRules();
}

void CMainDlg::PageChanged() {
    RefreshRules();
    ShowEstimatedSize();
    // Any change makes the pages the current settings again.
    if (m_favorites.Count() != 0) {
        m_favorites.SetCurrent(CurrentFavorite());
        ::SendDlgItemMessageW(Hwnd(), IDC_FAVORITES, CB_SETCURSEL, CFavoriteList::kCurrent, 0);
    }
}

CFavoriteInfo CMainDlg::CurrentFavorite() {
    CScanSettings shown = Settings();
    for (int i = 0; i < 3; ++i)
        if (CPageCommon *page = Page(i))
            page->Store(shown, false);
    CFavoriteInfo current = CFavoriteInfo::FromSettings(shown);
    current.PaperPlace = PaperPlace();
    return current;
}

std::wstring CMainDlg::FavoriteText(size_t index) const {
    return m_favorites.Text(index, m_strings);
}

void CMainDlg::OnFavoriteSave() {
    // A file of that name that the row does not list (a damaged one) is
    // not replaced without asking either.
    CFavoriteStorage dialog(m_source.ResourceModule(), [this](const std::string &name) {
        return m_favorites.IndexOf(name) ||
               ::GetFileAttributesW(m_favorites.PathOf(name).c_str()) != INVALID_FILE_ATTRIBUTES;
    });
    if (dialog.Run(Hwnd()) != IDOK)
        return;
    const size_t before = m_favorites.Count();
    const auto index = m_favorites.Store(CurrentFavorite(), dialog.Name(), dialog.Comment());
    if (!index) {
        std::wstring text = LoadResString(m_source.ResourceModule(), IDS_FAVORITE_WRITE_FAILED);
        if (const size_t at = text.find(L"%s"); at != std::wstring::npos)
            text.replace(at, 2, m_favorites.PathOf(dialog.Name()));
        Ask(text, MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
        return;
    }
    if (m_favorites.Count() > before)
        ::SendDlgItemMessageW(Hwnd(), IDC_FAVORITES, CB_ADDSTRING, 0,
                              reinterpret_cast<LPARAM>(FavoriteText(*index).c_str()));
    ::SendDlgItemMessageW(Hwnd(), IDC_FAVORITES, CB_SETCURSEL, *index, 0);
}

void CMainDlg::OnFavoriteList() {
    m_favorites.SetCurrent(CurrentFavorite());
    const auto shown = ::SendDlgItemMessageW(Hwnd(), IDC_FAVORITES, CB_GETCURSEL, 0, 0);
    const size_t selected = shown < 0 ? CFavoriteList::kCurrent : static_cast<size_t>(shown);
    CFavoriteSummary dialog(m_source.ResourceModule(), m_strings, m_favorites, selected);
    const bool confirmed = dialog.Run(Hwnd()) == IDOK;
    BuildFavorites(confirmed ? dialog.SelectedText() : FavoriteText(selected));
}

void CMainDlg::BuildFavorites(const std::optional<std::wstring> &select) {
    const std::wstring folder =
        CSettingsPaths::FavoritesFolder(CSettingsLocator::UserFolder(m_strings));
    m_favorites.Build(folder, m_strings.Load(IDS_FAVORITE_EXT), CurrentFavorite());
    HWND list = ::GetDlgItem(Hwnd(), IDC_FAVORITES);
    ::SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (size_t i = 0; i < m_favorites.Count(); ++i)
        ::SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(FavoriteText(i).c_str()));
    // The remembered choice is the text the row showed at the last close.
    auto find = [&](const std::wstring &text) -> std::optional<size_t> {
        for (size_t i = 0; i < m_favorites.Count(); ++i)
            if (FavoriteText(i) == text)
                return i;
        return std::nullopt;
    };
    size_t index = CFavoriteList::kCurrent;
    if (select) {
        index = find(*select).value_or(CFavoriteList::kStandard);
    } else if (SaveSettingsOption()) {
        const std::string &remembered = Store().FavoriteName;
        if (!remembered.empty())
            index = find(CAnsiText::ToWide(remembered)).value_or(CFavoriteList::kCurrent);
    } else if (m_favorites.Count() > 1) {
        index = CFavoriteList::kStandard;
    }
    ApplyFavorite(index);
}

void CMainDlg::ApplyFavorite(size_t index) {
    if (index >= m_favorites.Count())
        return;
    const CFavoriteInfo &favorite = m_favorites.At(index);
    CScanSettings shown = Settings();
    favorite.ApplyTo(shown);
    for (int i = 0; i < 3; ++i)
        if (CPageCommon *page = Page(i))
            page->Show(shown);
    Settings().PaperPlace = favorite.PaperPlace == 0 ? 0 : 1;
    ::CheckRadioButton(Hwnd(), IDC_PAPER_PLATEN, IDC_PAPER_FEEDER,
                       Settings().PaperPlace == 0 ? IDC_PAPER_PLATEN : IDC_PAPER_FEEDER);
    UpdateScanButtons();
    RefreshRules();
    ::SendDlgItemMessageW(Hwnd(), IDC_FAVORITES, CB_SETCURSEL, index, 0);
}

void CMainDlg::DiscardPreview() {
    m_source.EndJob();
    m_previewState = kNoPreview;
    m_preview.Clear();
    ShowRulers(CPreviewRules::kNoImageZoom, 0, 0);
    for (int id : kPointerButtons)
        ::EnableWindow(::GetDlgItem(Hwnd(), id), FALSE);
    m_basic.EnableAreaEdits(false);
    m_basic.ShowArea();
    ShowEstimatedSize();
}

void CMainDlg::ShowPreview(int32_t width, int32_t height, int32_t resolution) {
    m_previewState = kPreviewShown;
    m_previewWidth = width;
    m_previewHeight = height;
    m_previewResolution = resolution;
    RECT client{};
    ::GetClientRect(m_preview.Hwnd(), &client);
    ShowRulers(m_preview.HasImage()
                   ? m_preview.Zoom()
                   : CPreviewRules::InitialZoom(width, height, client.right, client.bottom),
               0, 0);
    for (int id : kPointerButtons)
        ::EnableWindow(::GetDlgItem(Hwnd(), id), TRUE);
    m_basic.EnableAreaEdits(true);
    m_basic.ShowArea();
    ShowEstimatedSize();
}

void CMainDlg::ShowEstimatedSize() {
    std::wstring text;
    if (m_previewState != kNoPreview) {
        const CScanSettings &s = Settings();
        const int32_t dpi = s.AreaResolution;
        uint64_t pixels = 0;
        if (s.AreaWidth != 0 && s.AreaHeight != 0)
            pixels = static_cast<uint64_t>(s.AreaWidth) * static_cast<uint64_t>(s.AreaHeight);
        else if (m_previewResolution > 0)
            pixels = static_cast<uint64_t>(
                         CUnitConversion::RescalePixels(m_previewWidth, m_previewResolution, dpi)) *
                     static_cast<uint64_t>(
                         CUnitConversion::RescalePixels(m_previewHeight, m_previewResolution, dpi));
        text = CPageRules::EstimatedSizeText(CPageRules::EstimatedBytes(pixels, s.ColorMode));
    }
    ::SetDlgItemTextW(Hwnd(), IDC_ESTIMATED_SIZE, text.c_str());
}

void CMainDlg::OnSize(int width, int height) {
    if (width == 0 || height == 0)
        return;
    if (m_client.cx == 0) {
        RECT r{};
        ::GetWindowRect(Hwnd(), &r);
        m_minTrack = SIZE{r.right - r.left, r.bottom - r.top};
        m_client = SIZE{width, height};
        return;
    }
    const int dw = width - m_client.cx;
    const int dh = height - m_client.cy;
    m_client = SIZE{width, height};
    for (int id : kMoveRight)
        MoveBy(Hwnd(), ::GetDlgItem(Hwnd(), id), dw, 0, 0, 0);
    // The pages stay inside the tab control.
    for (int i = 0; i < 3; ++i)
        if (CPageCommon *page = Page(i))
            MoveBy(Hwnd(), page->Hwnd(), dw, 0, 0, 0);
    for (int id : kMoveDown)
        MoveBy(Hwnd(), ::GetDlgItem(Hwnd(), id), 0, dh, 0, 0);
    MoveBy(Hwnd(), ::GetDlgItem(Hwnd(), IDC_RULER_V), 0, 0, 0, dh);
    MoveBy(Hwnd(), ::GetDlgItem(Hwnd(), IDC_RULER_H), 0, 0, dw, 0);
    MoveBy(Hwnd(), ::GetDlgItem(Hwnd(), IDC_PREVIEW), 0, 0, dw, dh);
    ::InvalidateRect(Hwnd(), nullptr, TRUE);
}

INT_PTR CMainDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == CScanUiMessages::ParamResponse()) {
        OnUnitAnswer(reinterpret_cast<HGLOBAL>(wParam));
        return TRUE;
    }
    if (msg == CScanUiMessages::EnableProgress()) {
        OnEnableProgress(wParam != 0);
        return TRUE;
    }
    switch (msg) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_NOTIFY: {
            const auto *hdr = reinterpret_cast<const NMHDR *>(lParam);
            if (hdr->idFrom == IDC_TABS && hdr->code == TCN_SELCHANGE) {
                const int index =
                    static_cast<int>(::SendDlgItemMessageW(Hwnd(), IDC_TABS, TCM_GETCURSEL, 0, 0));
                ShowPage(index);
                if (CPageCommon *page = Page(index))
                    ::SetFocus(::GetNextDlgTabItem(page->Hwnd(), nullptr, FALSE));
            }
            return FALSE;
        }
        case WM_SIZE:
            OnSize(LOWORD(lParam), HIWORD(lParam));
            return FALSE;
        case WM_GETMINMAXINFO:
            if (m_minTrack.cx != 0) {
                auto *info = reinterpret_cast<MINMAXINFO *>(lParam);
                info->ptMinTrackSize = POINT{m_minTrack.cx, m_minTrack.cy};
            }
            return FALSE;
        case WM_QUERYENDSESSION:
            Close();
            // Closes the source and this dialog with it: nothing of this
            // object may be touched afterwards.
            m_source.CloseForEndSession();
            return FALSE;
        case WM_CLOSE:
            // Default handling then turns the close box into the Close button.
            m_source.EndJob();
            return FALSE;
        case WM_DRAWITEM:
            for (const COwnerDrawButton &button : m_pointerButtons)
                if (reinterpret_cast<const DRAWITEMSTRUCT *>(lParam)->hwndItem == button.Hwnd()) {
                    button.Draw(*reinterpret_cast<const DRAWITEMSTRUCT *>(lParam));
                    return TRUE;
                }
            return FALSE;
        case WM_DESTROY:
            m_source.EndJob();
            // The preview and its image go with the window.
            m_preview.Clear();
            m_previewState = kNoPreview;
            return FALSE;
        default:
            return FALSE;
    }
}

void CMainDlg::OnCommand(UINT id, UINT code) {
    switch (id) {
        case IDC_SCAN:
            Scan();
            break;
        case IDC_CLOSE:
        case IDM_EXIT:
            Close();
            break;
        case IDC_PRESCAN:
            OnPrescan();
            break;
        case IDC_PAPER_PLATEN:
        case IDC_PAPER_FEEDER:
            if (code == BN_CLICKED)
                OnPaperPlace(id == IDC_PAPER_FEEDER ? 1 : 0);
            break;
        case IDC_UNIT:
            if (code == CBN_SELCHANGE)
                OnUnitChange();
            break;
        case IDC_FAVORITES:
            if (code == CBN_SELCHANGE) {
                const auto index = ::SendDlgItemMessageW(Hwnd(), IDC_FAVORITES, CB_GETCURSEL, 0, 0);
                if (index >= 0)
                    ApplyFavorite(static_cast<size_t>(index));
            }
            break;
        case IDC_FAVORITE_SAVE:
            OnFavoriteSave();
            break;
        case IDC_FAVORITE_LIST:
            OnFavoriteList();
            break;
        case IDC_RESET_STANDARD:
            ResetToStandard();
            break;
        case IDC_SERVER:
            OnServer();
            break;
        case IDC_VERSION:
            CVersionDlg(m_source.ResourceModule()).Run(Hwnd());
            break;
        case IDC_SELECT_BTN:
            SetPointer(PointerMode::Select);
            break;
        case IDC_HAND_BTN:
            SetPointer(PointerMode::Hand);
            break;
        case IDC_ZOOM_BTN:
            SetPointer((::GetKeyState(VK_CONTROL) & 0x8000) ? PointerMode::ZoomOut
                                                            : PointerMode::ZoomIn);
            break;
        default:
            break;
    }
}
