// The source's modeless main dialog (template 1047): created on
// MSG_ENABLEDS, destroyed on MSG_DISABLEDS. It owns the settings record
// and the three setting pages, answers the scan utility's messages, and
// hands the record to the source when a scan starts. The preview, the
// favourites and the server dialog attach to the places it keeps for them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>

#include "DialogBase.h"
#include "FavoriteList.h"
#include "MainDlgHost.h"
#include "OwnerDrawButton.h"
#include "ModuleStrings_win.h"
#include "PageBasic.h"
#include "PageInput.h"
#include "PageOwner.h"
#include "PageQuality.h"
#include "Preview.h"
#include "PreviewRules.h"
#include "Scale.h"
#include "SettingsFiles_win.h"
#include "WinHandles.h"

// The scan area the user selected on the preview, in pixels of the grid of
// `resolution` dots per inch; all zero means the whole page.
struct CScanArea {
    int32_t top = 0;
    int32_t left = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t resolution = 0;
};

class CMainDlg : public CDialogBase,
                 private IPageOwner,
                 private IAreaEditOwner,
                 private IPreviewOwner {
public:
    // The preview tool; the preview's cursors are chosen from it.
    using PointerMode = EPointerMode;
    enum EPreviewState { kNoPreview = 0, kPrescanning = 1, kPreviewShown = 2 };

    explicit CMainDlg(IMainDlgHost &source);
    ~CMainDlg() override;

    bool Create(HWND parent);
    void Show();
    void Enable(bool enable);
    void SetScanButtonText(const wchar_t *text);
    // Lets the dialog catch up after the source changed its state.
    void RefreshState();
    // Control key forwarded by the source's event filter.
    void OnControlKey(bool down);
    bool IsDialogMsg(const MSG *msg);
    // The prescan image (a packed DIB in movable global memory) that
    // transfers deliver rows from while the dialog holds it.
    bool HasHeldImage() const { return m_preview.HasImage(); }
    HGLOBAL HeldImage() const { return m_preview.Image(); }
    // Takes ownership; null lets the image go.
    void SetHeldImage(HGLOBAL image);
    // The area of the settings record with its resolution; before the
    // window sets one, the current X resolution of the capabilities.
    CScanArea ScanArea() const;
    void SetScanArea(const CScanArea &area);
    PointerMode Pointer() const override { return m_pointer; }
    // The prescan delivered an image of this size: the preview exists now.
    void ShowPreview(int32_t width, int32_t height, int32_t resolution);
    // The preview window, for what the user does with the mouse.
    CPreview &Preview() { return m_preview; }
    // The preview's zoom and scroll origin (image pixels), which the rulers follow.
    void ShowRulers(int32_t zoom, int32_t originX, int32_t originY);
    // The settings files and the record the pages fill; what a scan uses.
    CSettingsStore &Store();

    static CMainDlg *Registered() { return s_mainDlg; }

private:
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    void OnCommand(UINT id, UINT code);

    // IPageOwner
    HINSTANCE ResourceModule() const override { return m_source.ResourceModule(); }
    const IStringSource &Strings() const override { return m_strings; }
    CScanSettings &Settings() override { return Store().Settings; }
    ELengthUnit Unit() const override;
    int32_t PaperPlace() const override;
    int32_t ColourIndex() const override { return m_basic.ColourIndex(); }
    bool SaveSettingsOption() override { return Store().SaveSettingsOption(); }
    bool PhotoOption() override { return Store().UsePhotoOption(); }
    bool HasPreview() const override { return m_previewState == kPreviewShown; }
    void DiscardPreview() override;
    void PageChanged() override;
    int Ask(const std::wstring &text, UINT flags) override;
    IAreaEditOwner &AreaEditOwner() override { return *this; }

    // IAreaEditOwner
    ELengthUnit DisplayUnit() const override { return Unit(); }
    int32_t AreaResolution() const override;
    SPreviewArea Area() const override;
    int32_t ImageWidth() const override;
    int32_t ImageHeight() const override;
    void AreaEdited(EAreaEdge edge, int32_t pixels) override;
    // The preview image's side in pixels of the area grid.
    int32_t ImageSide(int32_t pixels) const;
    void SetArea(const SPreviewArea &area);

    // IPreviewOwner
    void PreviewSelected(const SPreviewArea &area) override;
    void PreviewMoved(int32_t zoom, int32_t originX, int32_t originY) override;

    // The unit request to the application's window, before the pages exist.
    void RequestUnit();
    void OnUnitAnswer(HGLOBAL block);
    void OnEnableProgress(bool enable);
    void CreatePages();
    void ShowPage(int index);
    bool StorePages(bool check);
    bool HasConnectionTarget();
    void UpdateScanButtons();
    void Scan();
    void OnPrescan();
    void SetPointer(PointerMode mode);
    void Close();
    // The pages as a favourite: entry 0 of the favourites row.
    CFavoriteInfo CurrentFavorite();
    // Fills the favourites row and applies the entry it selects: `select`
    // after a save or the favourites dialog, else the remembered one.
    void BuildFavorites(const std::optional<std::wstring> &select);
    void ApplyFavorite(size_t index);
    std::wstring FavoriteText(size_t index) const;
    void OnFavoriteSave();
    void OnFavoriteList();
    // The server button: "接続先：" and the address.
    void ShowServerText();
    void OnServer();
    void OnPaperPlace(int32_t place);
    void OnUnitChange();
    void AttachRulers();
    void ResetToStandard();
    void RefreshRules();
    void ShowEstimatedSize();
    void ClampAreaToPaper();
    void OnSize(int width, int height);
    CPageCommon *Page(int index);

    static CMainDlg *s_mainDlg;
    IMainDlgHost &m_source;
    CModuleStrings m_strings;
    std::unique_ptr<CSettingsFiles> m_files;
    CPageBasic m_basic{*this};
    CPageQuality m_quality{*this};
    CPageInput m_input{*this};
    CFavoriteList m_favorites;
    HWND m_parent = nullptr;
    bool m_companion = false;
    bool m_unitAnswered = false;
    int m_previewState = kNoPreview;
    // The preview image's size and resolution, for the estimated size.
    int32_t m_previewWidth = 0;
    int32_t m_previewHeight = 0;
    int32_t m_previewResolution = 0;
    CScale m_rulerH;
    CScale m_rulerV;
    SScaleView m_rulerView;
    int32_t m_rulerOriginY = 0;
    PointerMode m_pointer = PointerMode::Select;
    CPreview m_preview;
    COwnerDrawButton m_pointerButtons[3];
    // Sizes at the first WM_SIZE: the smallest the window may become, and
    // the client size the controls were laid out for.
    SIZE m_minTrack{};
    SIZE m_client{};
};
