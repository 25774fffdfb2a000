// Behaviour around the state machine: notifications, the dialog's life,
// sessions, the condition code, the event filter and the instance mutex.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include <shlobj.h>

#include "DiagLog.h"
#include "ResString.h"
#include "DsTestSupport.h"
#include "res/corvsrc_ids.h"
#include "res/main_dialog_ids.h"

namespace {

class DsBehaviour : public DsTest {
protected:
    std::vector<TW_UINT16> SentMessages() {
        std::vector<TW_UINT16> msgs;
        for (const RecordedDsmCall &call : Notifications()) {
            EXPECT_EQ(call.originId, kSourceId);
            EXPECT_EQ(call.destId, kAppId);
            EXPECT_EQ(call.DG, DG_CONTROL);
            EXPECT_EQ(call.DAT, DAT_NULL);
            EXPECT_TRUE(call.dataWasNull);
            msgs.push_back(call.MSG);
        }
        return msgs;
    }
    TW_UINT16 ProcessEvent(UINT message, WPARAM wParam, TW_EVENT *event = nullptr) {
        MSG msg{};
        msg.message = message;
        msg.wParam = wParam;
        TW_EVENT local{reinterpret_cast<TW_MEMREF>(&msg), 0xffff};
        TW_EVENT *e = event ? event : &local;
        e->pEvent = reinterpret_cast<TW_MEMREF>(&msg);
        return Call(DG_CONTROL, DAT_NULL, MSG_PROCESSEVENT, e);
    }
};

// ---- Notifications through the source manager ------------------------------------

struct NotifyCase {
    const char *name;
    TW_UINT16 enableMsg;
    int button;
    bool jobAdvances;
    std::vector<TW_UINT16> sent;
    TW_UINT32 state;
    size_t boxes;
};

class DsNotify : public DsBehaviour, public ::testing::WithParamInterface<NotifyCase> {};

TEST_P(DsNotify, ButtonsSendTheirNotification) {
    const NotifyCase &c = GetParam();
    m_job.advances = c.jobAdvances;
    ASSERT_EQ(Open(), TWRC_SUCCESS);
    ASSERT_EQ(Enable(TRUE, c.enableMsg), TWRC_SUCCESS);
    Click(c.button);
    EXPECT_EQ(SentMessages(), c.sent);
    EXPECT_EQ(State(), c.state);
    EXPECT_EQ(m_boxes.size(), c.boxes);
    // The dialog is disabled while the application transfers, usable otherwise.
    EXPECT_EQ(::IsWindowEnabled(Dialog()) != FALSE,
              c.state == 500 && c.sent != std::vector<TW_UINT16>{MSG_CLOSEDSOK});
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, DsNotify,
    ::testing::Values(
        NotifyCase{"ScanReady", MSG_ENABLEDS, IDOK, true, {MSG_XFERREADY}, 600, 0},
        NotifyCase{"ScanFails", MSG_ENABLEDS, IDOK, false, {}, 500, 0},
        NotifyCase{"UiOnlyConfirms", MSG_ENABLEDSUIONLY, IDOK, true, {MSG_CLOSEDSOK}, 500, 0},
        NotifyCase{"CloseRequests", MSG_ENABLEDS, IDCANCEL, true, {MSG_CLOSEDSREQ}, 500, 0}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(DsBehaviour, ScanWithoutJobModuleShowsMessageAndStaysInState5) {
    TheApp().SetScanJobFactory(nullptr);
    Reach(500);
    Click(IDOK);
    EXPECT_EQ(State(), 500u);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0], L"スキャンを開始できませんでした。");
    EXPECT_TRUE(SentMessages().empty());
    EXPECT_TRUE(::IsWindowEnabled(Dialog()));
}

TEST_F(DsBehaviour, FailedScanStartDestroysJobAndShowsItsError) {
    m_job.advances = false;
    Reach(500);
    Click(IDOK);
    EXPECT_EQ(m_job.created, 1);
    EXPECT_EQ(m_job.errorsShown, 1);
    EXPECT_EQ(m_job.destroyed, 1);
    EXPECT_EQ(TheApp().Source()->Job(), nullptr);
}

TEST_F(DsBehaviour, CloseButtonEndsTheJob) {
    Reach(600);
    Click(IDCANCEL);
    EXPECT_EQ(m_job.destroyed, 1);
    EXPECT_EQ(State(), 500u);
    EXPECT_EQ((SentMessages()), (std::vector<TW_UINT16>{MSG_XFERREADY, MSG_CLOSEDSREQ}));
}

TEST_F(DsBehaviour, NotificationCarriesTheKeptSourceIdentity) {
    Reach(600);
    auto calls = Notifications();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_STREQ(calls[0].originProduct, TheApp().DefaultIdentity().ProductName);
}

// ---- Pending transfers with a job ------------------------------------------------------

struct PendingCase {
    const char *name;
    TW_UINT16 msg;
    bool morePages;
    bool platen;
    TW_UINT16 count;
    TW_UINT32 state;
    bool jobKept;
};

class DsPending : public DsBehaviour, public ::testing::WithParamInterface<PendingCase> {};

TEST_P(DsPending, CountStateAndJob) {
    const PendingCase &c = GetParam();
    m_job.morePages = c.morePages;
    m_job.platen = c.platen;
    Reach(600);
    TW_PENDINGXFERS pending{0x1234, {0}};
    ASSERT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, c.msg, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, c.count);
    EXPECT_EQ(State(), c.state);
    EXPECT_EQ(TheApp().Source()->Job() != nullptr, c.jobKept);
}

INSTANTIATE_TEST_SUITE_P(
    WithJob, DsPending,
    ::testing::Values(PendingCase{"EndXferLastPlatenPage", MSG_ENDXFER, false, true, 0, 500, false},
                      PendingCase{"EndXferFeederMore", MSG_ENDXFER, true, false, 0xffff, 600, true},
                      PendingCase{"EndXferFeederLast", MSG_ENDXFER, false, false, 0, 500, true},
                      PendingCase{"GetPlaten", MSG_GET, false, true, 0, 500, false},
                      PendingCase{"GetFeederMore", MSG_GET, true, false, 0xffff, 600, true},
                      PendingCase{"ResetPlaten", MSG_RESET, false, true, 0, 500, false},
                      PendingCase{"ResetFeeder", MSG_RESET, true, false, 0, 500, false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(DsBehaviour, EndXferInState5WithJobIsASequenceError) {
    m_job.morePages = false;
    m_job.platen = false;
    Reach(600);
    TW_PENDINGXFERS pending{};
    ASSERT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
    ASSERT_EQ(State(), 500u);
    ASSERT_NE(TheApp().Source()->Job(), nullptr);
    EXPECT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_SEQERROR);
}

// ---- User interface ----------------------------------------------------------------------

TEST_F(DsBehaviour, ShowUiFalseIsAnsweredWithCheckStatusAndTheDialogShown) {
    ASSERT_EQ(Open(), TWRC_SUCCESS);
    TW_USERINTERFACE ui{FALSE, TRUE, nullptr};
    EXPECT_EQ(Call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_CHECKSTATUS);
    EXPECT_EQ(ui.ShowUI, TRUE);
    EXPECT_EQ(State(), 500u);
    EXPECT_TRUE(::IsWindowVisible(Dialog()));
    EXPECT_EQ(Call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_SUCCESS);
}

TEST_F(DsBehaviour, AnyNonZeroShowUiShowsTheDialog) {
    for (TW_BOOL show : {TW_BOOL(1), TW_BOOL(8), TW_BOOL(255)}) {
        ASSERT_EQ(Open(), TWRC_SUCCESS);
        EXPECT_EQ(Enable(show), TWRC_SUCCESS) << show;
        EXPECT_TRUE(::IsWindowVisible(Dialog())) << show;
        ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, nullptr), TWRC_SUCCESS);
    }
}

TEST_F(DsBehaviour, UiOnlyRenamesScanButtonAndKeepsParentTitle) {
    HWND parent = ::CreateWindowW(L"STATIC", L"CV_ScanToBox", WS_POPUP, 0, 0, 10, 10, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_EQ(Open(), TWRC_SUCCESS);
    TW_USERINTERFACE ui{TRUE, FALSE, parent};
    ASSERT_EQ(Call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDSUIONLY, &ui), TWRC_SUCCESS);
    wchar_t text[32] = {};
    ::GetDlgItemTextW(Dialog(), IDOK, text, 32);
    EXPECT_STREQ(text, L"OK");
    EXPECT_TRUE(TheApp().Source()->UiOnly());
    EXPECT_EQ(TheApp().Source()->ParentTitle(), L"CV_ScanToBox");
    ASSERT_EQ(Call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_SUCCESS);
    EXPECT_FALSE(TheApp().Source()->UiOnly());
    ::DestroyWindow(parent);
}

TEST_F(DsBehaviour, DialogHasTheTemplateControls) {
    Reach(500);
    struct Control {
        int id;
        const wchar_t *text;
    };
    const Control controls[] = {{IDC_SERVER, L"接続先：127.0.0.1"},
                                {IDC_SAVE_DEST, L"保存先："},
                                {IDC_RESET_STANDARD, L"標準に戻す"},
                                {IDC_VERSION, L"バージョン情報"},
                                {IDC_FAVORITE_SAVE, L"保存..."},
                                {IDC_FAVORITE_LIST, L"一覧..."},
                                {IDC_PAPER_PLATEN, L"原稿ガラス"},
                                {IDC_PAPER_FEEDER, L"原稿送り装置"},
                                {IDC_PRESCAN, L"プレスキャン"},
                                {IDOK, L"スキャン"},
                                {IDCANCEL, L"閉じる"},
                                {IDC_SELECT_BTN, L"Arrow"},
                                {IDC_ZOOM_BTN, L"Lense"},
                                {IDC_HAND_BTN, L"Hand"},
                                {IDC_PREVIEW, L""},
                                {IDC_RULER_H, L""},
                                {IDC_RULER_V, L""},
                                {IDC_ESTIMATED_SIZE, L""},
                                {IDC_FAVORITES, L"<現在の設定>"},
                                {IDC_UNIT, L"mm"},
                                {IDC_TABS, L""},
                                {IDC_FILENAME_EDIT, L""},
                                {IDC_IMAGE_STATIC, L""},
                                {IDC_SHADOW_BTN, L"Shadow"},
                                {IDC_HIGHLIGHT_BTN, L"Highlight"}};
    for (const Control &c : controls) {
        HWND item = ::GetDlgItem(Dialog(), c.id);
        ASSERT_NE(item, nullptr) << c.id;
        wchar_t text[64] = {};
        ::GetWindowTextW(item, text, 64);
        EXPECT_STREQ(text, c.text) << c.id;
    }
    wchar_t caption[64] = {};
    ::GetWindowTextW(Dialog(), caption, 64);
    EXPECT_STREQ(caption, L"Corvane QM スキャン");
    HWND tabs = ::GetDlgItem(Dialog(), IDC_TABS);
    EXPECT_EQ(::SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 3);
    wchar_t tab[32] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = tab;
    item.cchTextMax = 32;
    ::SendMessageW(tabs, TCM_GETITEMW, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(tab, L"画質調整");
    EXPECT_EQ(::IsDlgButtonChecked(Dialog(), IDC_PAPER_PLATEN), BST_CHECKED);
}

// ---- Sessions, identity, condition code ---------------------------------------------------

TEST_F(DsBehaviour, DefaultIdentityAnswersGetWithoutLookingAtOrigin) {
    TW_IDENTITY id{};
    ASSERT_EQ(
        DS_Entry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GET, reinterpret_cast<TW_MEMREF>(&id)),
        TWRC_SUCCESS);
    EXPECT_EQ(id.Id, 0u);
    EXPECT_EQ(id.Version.MajorNum, 7);
    EXPECT_EQ(id.Version.MinorNum, 0);
    EXPECT_EQ(id.Version.Language, TWLG_USA);
    EXPECT_EQ(id.Version.Country, TWCY_USA);
    EXPECT_STREQ(id.Version.Info, "2002/04");
    EXPECT_EQ(id.ProtocolMajor, 1);
    EXPECT_EQ(id.ProtocolMinor, 8);
    EXPECT_EQ(id.SupportedGroups, DG_CONTROL | DG_IMAGE);
    EXPECT_STREQ(id.Manufacturer, "Tessaly");
    EXPECT_STREQ(id.ProductFamily, "Corvane QM");
    EXPECT_STREQ(id.ProductName, "Corvane QM Network Scanner");
}

TEST_F(DsBehaviour, OpenSourceAnswersWithTheIdentityItWasOpenedWith) {
    ASSERT_EQ(Open(), TWRC_SUCCESS);
    TW_IDENTITY id{};
    ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &id, 999), TWRC_SUCCESS);
    EXPECT_EQ(id.Id, kSourceId);
}

TEST_F(DsBehaviour, SecondApplicationIsRefused) {
    ASSERT_EQ(Open(), TWRC_SUCCESS);
    EXPECT_EQ(Open(kAppId + 1), TWRC_FAILURE);
    EXPECT_EQ(TheApp().ConditionCode(), TWCC_MAXCONNECTIONS);
    TW_PENDINGXFERS pending{};
    EXPECT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_GET, &pending, kAppId + 1), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_BADPROTOCOL);
    EXPECT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, nullptr, kAppId + 1), TWRC_SUCCESS)
        << "closing is not bound to the opener";
}

TEST_F(DsBehaviour, StatusKeepsAControlFailureUntilAnImageTriplet) {
    Reach(400);
    ASSERT_EQ(Enable(TRUE), TWRC_SUCCESS);
    ASSERT_EQ(Enable(TRUE), TWRC_FAILURE);
    TW_IDENTITY id{};
    ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &id), TWRC_SUCCESS);
    EXPECT_EQ(Status(), TWCC_SEQERROR);
    EXPECT_EQ(Status(), TWCC_SEQERROR) << "reading the status does not clear it";
    TW_PALETTE8 palette{};
    ASSERT_EQ(Call(DG_IMAGE, DAT_PALETTE8, MSG_GET, &palette), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_BADPROTOCOL);
}

TEST_F(DsBehaviour, UnknownCapabilityIsThrownBadCapAndLogged) {
    char tmp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, tmp);
    std::string path = std::string(tmp) + "corv_dscore_badcap.log";
    ::DeleteFileA(path.c_str());
    ASSERT_TRUE(CDiagLog::Instance().Open(path));
    Reach(400);
    TW_CAPABILITY cap{0x8000, 0, nullptr};
    EXPECT_EQ(Call(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &cap), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_BADCAP);
    CDiagLog::Instance().Close();
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find(")GetIndex() TWCC_BADCAP \t\r\n"), std::string::npos) << text.str();
    ::DeleteFileA(path.c_str());
}

TEST_F(DsBehaviour, NullDataIsRefusedNotFollowed) {
    Reach(500);
    const std::pair<TW_UINT16, TW_UINT16> triplets[] = {{DAT_CAPABILITY, MSG_GET},
                                                        {DAT_PENDINGXFERS, MSG_GET},
                                                        {DAT_STATUS, MSG_GET},
                                                        {DAT_IDENTITY, MSG_GET}};
    for (auto [dat, msg] : triplets) {
        EXPECT_EQ(Call(DG_CONTROL, dat, msg, nullptr), TWRC_FAILURE) << dat;
        EXPECT_EQ(TheApp().ConditionCode(), TWCC_BADVALUE) << dat;
    }
}

// ---- Event filter ----------------------------------------------------------------------------

TEST_F(DsBehaviour, ProcessEventWithoutSourceIsNotOurs) {
    TheApp().SetConditionCode(TWCC_BADCAP);
    EXPECT_EQ(ProcessEvent(WM_NULL, 0), TWRC_NOTDSEVENT);
    EXPECT_EQ(TheApp().ConditionCode(), TWCC_BADCAP);
}

TEST_F(DsBehaviour, QueryEndSessionDestroysTheSource) {
    Reach(600);
    EXPECT_EQ(ProcessEvent(WM_QUERYENDSESSION, 0), TWRC_NOTDSEVENT);
    EXPECT_EQ(TheApp().Source(), nullptr);
    EXPECT_EQ(m_job.destroyed, 1);
    EXPECT_EQ(Open(), TWRC_SUCCESS) << "the instance mutex was released";
}

TEST_F(DsBehaviour, ControlKeySwitchesTheZoomTool) {
    Reach(500);
    Click(IDC_ZOOM_BTN);
    CMainDlg &dlg = TheApp().Source()->MainDlg();
    ASSERT_EQ(dlg.Pointer(), CMainDlg::PointerMode::ZoomIn);
    ProcessEvent(WM_KEYDOWN, VK_CONTROL);
    EXPECT_EQ(dlg.Pointer(), CMainDlg::PointerMode::ZoomOut);
    ProcessEvent(WM_KEYUP, VK_CONTROL);
    EXPECT_EQ(dlg.Pointer(), CMainDlg::PointerMode::ZoomIn);
}

TEST_F(DsBehaviour, DialogKeyboardMessagesAreTheSources) {
    Reach(500);
    MSG msg{};
    msg.hwnd = ::GetDlgItem(Dialog(), IDC_PRESCAN);
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_TAB;
    TW_EVENT event{reinterpret_cast<TW_MEMREF>(&msg), 0xffff};
    EXPECT_EQ(Call(DG_CONTROL, DAT_NULL, MSG_PROCESSEVENT, &event), TWRC_DSEVENT);
    EXPECT_EQ(event.TWMessage, MSG_NULL);
}

// ---- Instance mutex across processes ---------------------------------------------------------

class DsInstanceMutex : public DsBehaviour {
protected:
    DWORD RunHolder(const wchar_t *mode, bool waitOpened) {
        CAutoHandle opened(::CreateEventW(nullptr, TRUE, FALSE, L"CorvDsTestHolderOpened"));
        m_release.Reset(::CreateEventW(nullptr, TRUE, FALSE, L"CorvDsTestHolderRelease"));
        std::wstring cmd = std::wstring(L"ds_open_holder.exe ") + mode;
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        EXPECT_TRUE(::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                     nullptr, &si, &pi));
        ::CloseHandle(pi.hThread);
        m_process.Reset(pi.hProcess);
        if (waitOpened) {
            EXPECT_EQ(::WaitForSingleObject(opened.Get(), 20000), WAIT_OBJECT_0);
            return STILL_ACTIVE;
        }
        return ExitCode();
    }
    DWORD ExitCode() {
        ::SetEvent(m_release.Get());
        EXPECT_EQ(::WaitForSingleObject(m_process.Get(), 20000), WAIT_OBJECT_0);
        DWORD code = 0;
        ::GetExitCodeProcess(m_process.Get(), &code);
        return code;
    }
    CAutoHandle m_release;
    CAutoHandle m_process;
};

TEST_F(DsInstanceMutex, SourceOpenInAnotherProcessRefusesOpen) {
    RunHolder(L"hold", true);
    EXPECT_EQ(Open(), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_MAXCONNECTIONS);
    EXPECT_EQ(TheApp().Source(), nullptr);
    EXPECT_EQ(ExitCode(), 0u);
    EXPECT_EQ(Open(), TWRC_SUCCESS) << "free again once the other process closed it";
}

TEST_F(DsInstanceMutex, OtherProcessIsRefusedWhileWeHoldTheSource) {
    ASSERT_EQ(Open(), TWRC_SUCCESS);
    EXPECT_EQ(RunHolder(L"try", false), 100u * TWRC_FAILURE + TWCC_MAXCONNECTIONS);
    ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, nullptr), TWRC_SUCCESS);
    EXPECT_EQ(RunHolder(L"try", false), 0u);
}

}  // namespace

namespace {

TEST_F(DsBehaviour, ProfileFileLivesInTheCommonSettingsFolder) {
    wchar_t common[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(
        ::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, common)));
    EXPECT_EQ(TheApp().ProfileFile(), std::wstring(common) + L"\\Corvane QM\\ds_core_tests.INI");
    DWORD attributes = ::GetFileAttributesW((std::wstring(common) + L"\\Corvane QM").c_str());
    EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(TheApp().AppName(), L"Corvane QM スキャン");
}

TEST(TwainText, CopiedOnlyWhenItFitsWithItsTerminator) {
    const std::pair<size_t, bool> lengths[] = {{0, true}, {33, true}, {34, false}, {80, false}};
    for (auto [length, copied] : lengths) {
        TW_STR32 field;
        std::memset(field, 'x', sizeof(field));
        CopyTwainText(field, std::string(length, 'a'));
        EXPECT_EQ(std::string(field), copied ? std::string(length, 'a') : std::string()) << length;
    }
}

}  // namespace
