// Open, enable, disable and close the source through Wine's own source
// manager, which only knows the fixed file name twain_32\sane.ds. The
// source's dialog is shown, closed with its Close button, and the close
// request reaches the application through MSG_PROCESSEVENT.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "WineDsm.h"
#include "twain/twain.h"

namespace {

class WineDsmCycle : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring folder = WineSourceFolder();
        ::CreateDirectoryW(folder.c_str(), nullptr);
        // The build puts corvsrc.ds beside this program, whatever the
        // working folder of the run.
        wchar_t self[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring built(self);
        built = built.substr(0, built.find_last_of(L"\\/") + 1) + L"corvsrc.ds";
        ASSERT_TRUE(::CopyFileW(built.c_str(), (folder + L"\\sane.ds").c_str(), FALSE));
        m_dsm = ::LoadLibraryW(WineDsmPath().c_str());
        ASSERT_NE(m_dsm, nullptr);
        m_entry = reinterpret_cast<DSMENTRYPROC>(
            reinterpret_cast<void (*)()>(::GetProcAddress(m_dsm, "DSM_Entry")));
        ASSERT_NE(m_entry, nullptr);
        m_parent = ::CreateWindowW(L"STATIC", L"twain test application", WS_OVERLAPPEDWINDOW, 0, 0,
                                   200, 100, nullptr, nullptr, nullptr, nullptr);
        m_app.Version.MajorNum = 1;
        m_app.ProtocolMajor = 1;
        m_app.ProtocolMinor = 8;
        m_app.SupportedGroups = DG_CONTROL | DG_IMAGE;
        std::strcpy(m_app.ProductName, "wine cycle test");
    }
    void TearDown() override {
        if (m_parent)
            ::DestroyWindow(m_parent);
        if (m_dsm)
            ::FreeLibrary(m_dsm);
    }
    TW_UINT16 ToDsm(TW_UINT16 dat, TW_UINT16 msg, void *data) {
        return m_entry(&m_app, nullptr, DG_CONTROL, dat, msg, static_cast<TW_MEMREF>(data));
    }
    TW_UINT16 ToSource(TW_UINT16 dat, TW_UINT16 msg, void *data) {
        return m_entry(&m_app, &m_source, DG_CONTROL, dat, msg, static_cast<TW_MEMREF>(data));
    }
    TW_UINT16 SourceStatus() {
        TW_STATUS status{};
        ToSource(DAT_STATUS, MSG_GET, &status);
        return status.ConditionCode;
    }

    HMODULE m_dsm = nullptr;
    DSMENTRYPROC m_entry = nullptr;
    HWND m_parent = nullptr;
    TW_IDENTITY m_app{};
    TW_IDENTITY m_source{};
};

TEST_F(WineDsmCycle, OpenEnableCloseRequestDisableClose) {
    ASSERT_EQ(ToDsm(DAT_PARENT, MSG_OPENDSM, &m_parent), TWRC_SUCCESS);
    bool found = false;
    for (TW_UINT16 rc = ToDsm(DAT_IDENTITY, MSG_GETFIRST, &m_source);
         rc == TWRC_SUCCESS && !found;) {
        found = std::strcmp(m_source.ProductFamily, "Corvane QM") == 0;
        if (!found)
            rc = ToDsm(DAT_IDENTITY, MSG_GETNEXT, &m_source);
    }
    ASSERT_TRUE(found) << "source manager did not list the source";
    EXPECT_STREQ(m_source.ProductName, "Corvane QM Network Scanner");
    ASSERT_EQ(ToDsm(DAT_IDENTITY, MSG_OPENDS, &m_source), TWRC_SUCCESS);

    // Negotiation before enabling, as applications do it.
    TW_CAPABILITY cap{ICAP_XFERMECH, 0, nullptr};
    ASSERT_EQ(ToSource(DAT_CAPABILITY, MSG_GET, &cap), TWRC_SUCCESS);
    EXPECT_EQ(cap.ConType, TWON_ENUMERATION);
    ::GlobalFree(cap.hContainer);
    TW_CAPABILITY unknown{ICAP_FRAMES, 0, nullptr};
    EXPECT_EQ(ToSource(DAT_CAPABILITY, MSG_GET, &unknown), TWRC_FAILURE);
    EXPECT_EQ(SourceStatus(), TWCC_BADCAP);

    TW_USERINTERFACE ui{TRUE, FALSE, m_parent};
    ASSERT_EQ(ToSource(DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
    HWND dialog = ::FindWindowW(nullptr, L"Corvane QM スキャン");
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(::IsWindowVisible(dialog));

    ::SendMessageW(::GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    // The manager posts itself a message and answers it with the request,
    // so the application's ordinary message loop must run.
    TW_UINT16 received = MSG_NULL;
    MSG msg{};
    for (int i = 0; i < 50 && received == MSG_NULL; ++i) {
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::Sleep(10);
            continue;
        }
        TW_EVENT event{reinterpret_cast<TW_MEMREF>(&msg), MSG_NULL};
        if (m_entry(&m_app, &m_source, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT,
                    reinterpret_cast<TW_MEMREF>(&event)) == TWRC_DSEVENT)
            received = event.TWMessage;
        else
            ::DispatchMessageW(&msg);
    }
    EXPECT_EQ(received, MSG_CLOSEDSREQ);

    ASSERT_EQ(ToSource(DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_SUCCESS);
    EXPECT_FALSE(::IsWindow(dialog));
    ASSERT_EQ(ToDsm(DAT_IDENTITY, MSG_CLOSEDS, &m_source), TWRC_SUCCESS);
    EXPECT_EQ(ToDsm(DAT_PARENT, MSG_CLOSEDSM, &m_parent), TWRC_SUCCESS);
}

}  // namespace
