#include "DsTestSupport.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "PageGeometry.h"
#include "MessageBox.h"
#include "ModuleStrings_win.h"
#include "SettingsLocator_win.h"
#include "SettingsPaths.h"

void DsTest::SetUp() {
    ASSERT_TRUE(TheApp().InitInstance(::GetModuleHandleW(nullptr)));
    m_app = TW_IDENTITY{};
    m_app.Id = kAppId;
    std::strcpy(m_app.ProductName, "test application");
    SetDsMessageBoxAnswerer([this](const std::wstring &text, UINT) {
        m_boxes.push_back(text);
        return IDOK;
    });
    TheApp().SetScanJobFactory([this](CDataSource &, bool) {
        return std::unique_ptr<IScanJob>(std::make_unique<CFakeScanJob>(m_job));
    });
    m_dsm = ::LoadLibraryW(L"TWAIN_32.DLL");
    ASSERT_NE(m_dsm, nullptr);
    auto clear = reinterpret_cast<ClearRecordedProc>(
        reinterpret_cast<void (*)()>(::GetProcAddress(m_dsm, "ClearRecorded")));
    // Wine's own TWAIN_32.DLL has no recorder: the override is missing.
    ASSERT_NE(clear, nullptr);
    clear();
    ConfigureServer("127.0.0.1");
}

std::wstring DsTest::ConfigureServer(const char *server) {
    CModuleStrings strings(GetModuleHandleW(nullptr));
    const std::wstring folder = CSettingsLocator::UserFolder(strings);
    EXPECT_TRUE(CSettingsLocator::CreateFolder(folder));
    const std::wstring ini = folder + L"\\PrivteSettings.Ini";
    // Every test starts from a workstation with only a server chosen:
    // nothing one test saved (a proxy, an option) reaches the next.
    for (const std::wstring &file : {ini, folder + L"\\CV_NetScanUI.ini"}) {
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());
        DeleteFileW(file.c_str());
    }
    EXPECT_TRUE(WritePrivateProfileStringW(L"Settings", L"Server",
                                           std::wstring(server, server + strlen(server)).c_str(),
                                           ini.c_str()));
    return ini;
}

void DsTest::ConfigureScan(const char *server, int port, int paperPlace, int colour,
                           int resolution) {
    const std::wstring ini = ConfigureServer(server);
    const std::pair<const wchar_t *, int> values[] = {
        {L"Resolution", resolution}, {L"PaperPlace", paperPlace}, {L"ColorMode", colour}};
    for (const auto &[key, value] : values)
        EXPECT_TRUE(WritePrivateProfileStringW(L"Settings", key, std::to_wstring(value).c_str(),
                                               ini.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringW(L"Debug", L"http port", std::to_wstring(port).c_str(),
                                           ini.c_str()));
}

std::wstring DsTest::EmptyFavoritesFolder() {
    const std::wstring folder = CSettingsPaths::FavoritesFolder(
        CSettingsLocator::UserFolder(CModuleStrings(GetModuleHandleW(nullptr))));
    EXPECT_TRUE(CSettingsLocator::CreateFolder(folder));
    EmptyFolder(folder);
    return folder;
}

void DsTest::EmptyFolder(const std::wstring &folder) {
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW((folder + L"*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do
        DeleteFileW((folder + found.cFileName).c_str());
    while (FindNextFileW(find, &found));
    FindClose(find);
}

void DsTest::TearDown() {
    TheApp().ExitInstance();
    TheApp().SetScanJobFactory(nullptr);
    SetDsMessageBoxAnswerer(nullptr);
    if (m_dsm)
        ::FreeLibrary(m_dsm);
}

TW_UINT16 DsTest::Call(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void *data, TW_UINT32 appId) {
    TW_IDENTITY origin = m_app;
    origin.Id = appId;
    return DS_Entry(&origin, dg, dat, msg, static_cast<TW_MEMREF>(data));
}

TW_UINT16 DsTest::Status() {
    TW_STATUS status{};
    EXPECT_EQ(Call(DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_SUCCESS);
    return status.ConditionCode;
}

TW_UINT32 DsTest::State() const {
    return TheApp().Source() ? TheApp().Source()->State() : kNoSource;
}

TW_UINT16 DsTest::Open(TW_UINT32 appId) {
    TW_IDENTITY source{};
    TW_UINT16 rc = Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &source, appId);
    EXPECT_EQ(rc, TWRC_SUCCESS);
    source.Id = kSourceId;
    return Call(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source, appId);
}

TW_UINT16 DsTest::Enable(TW_BOOL showUI, TW_UINT16 msg, HWND parent) {
    TW_USERINTERFACE ui{showUI, FALSE, parent};
    return Call(DG_CONTROL, DAT_USERINTERFACE, msg, &ui);
}

HWND DsTest::Dialog() const {
    return TheApp().Source() ? TheApp().Source()->MainDlg().Hwnd() : nullptr;
}

void DsTest::Click(int id) {
    HWND button = ::GetDlgItem(Dialog(), id);
    ASSERT_NE(button, nullptr);
    ::SendMessageW(button, BM_CLICK, 0, 0);
}

void DsTest::Reach(TW_UINT32 state) {
    if (state == kNoSource)
        return;
    ASSERT_EQ(Open(), TWRC_SUCCESS);
    if (state >= 500) {
        ASSERT_EQ(Enable(TRUE), TWRC_SUCCESS);
    }
    if (state >= 600) {
        Click(IDOK);
        ASSERT_EQ(State(), 600u);
    }
    ASSERT_EQ(State(), state);
}

void DsTest::CloseSource() {
    if (TheApp().Source())
        TheApp().CloseSource();
}

std::vector<RecordedDsmCall> DsTest::Notifications() {
    auto count = reinterpret_cast<RecordedCountProc>(
        reinterpret_cast<void (*)()>(::GetProcAddress(m_dsm, "RecordedCount")));
    auto get = reinterpret_cast<RecordedCallProc>(
        reinterpret_cast<void (*)()>(::GetProcAddress(m_dsm, "RecordedCall")));
    std::vector<RecordedDsmCall> calls(static_cast<size_t>(count()));
    for (size_t i = 0; i < calls.size(); ++i)
        get(static_cast<int>(i), &calls[i]);
    return calls;
}

int32_t CFakeScanJob::Advance() {
    ++m_script.advanceCalls;
    if (!m_script.advances && m_script.result == 0)
        m_script.result = 4;
    return m_script.result;
}

bool CFakeScanJob::Read(char *buffer, uint32_t &size) {
    const uint32_t room = size;
    size = 0;
    if (m_script.result != 0)
        return true;
    CXferPage &g = m_script.geometry;
    const uint32_t total = static_cast<uint32_t>(m_script.page.size());
    const CPageGeometry page{static_cast<int32_t>(g.bytesPerRow), static_cast<int32_t>(total)};
    uint32_t n = ReadChunkSize(room, page, g.bytesReceived);
    if (m_script.failAt >= g.bytesReceived)
        n = std::min(n, m_script.failAt - g.bytesReceived);
    if (const uint32_t b = m_script.readBoundary)
        n = std::min(n, b - g.bytesReceived % b);
    std::memcpy(buffer, m_script.page.data() + g.bytesReceived, n);
    g.bytesReceived += n;
    size = n;
    if (g.bytesReceived >= m_script.failAt) {
        m_script.result = m_script.failResult;
        return true;
    }
    return g.bytesReceived == total;
}
