#include "TwainSrcApp.h"

#include <shlobj.h>

#include "res/corvsrc_ids.h"
#include "DataSource.h"
#include "ResString.h"

CTwainSrcApp &TheApp() {
    static CTwainSrcApp app;
    return app;
}

CTwainSrcApp::CTwainSrcApp() = default;
CTwainSrcApp::~CTwainSrcApp() = default;

bool CTwainSrcApp::InitInstance(HINSTANCE hInst) {
    m_hInst = hInst;
    m_appName = LoadResString(hInst, IDS_APP_TITLE);
    m_profileFile = FindProfileFile();
    m_conditionCode = TWCC_SUCCESS;
    m_source.reset();
    m_product.Load(hInst);
    FillIdentity();
    return !m_profileFile.empty();
}

void CTwainSrcApp::ExitInstance() {
    m_source.reset();
}

void CTwainSrcApp::OpenSource(std::unique_ptr<CDataSource> source) {
    m_source = std::move(source);
}

void CTwainSrcApp::CloseSource() {
    m_source.reset();
}

void CTwainSrcApp::FillIdentity() {
    m_identity = TW_IDENTITY{};
    m_identity.Id = 0;
    m_identity.Version.MajorNum = 7;
    m_identity.Version.MinorNum = 0;
    m_identity.Version.Language = TWLG_USA;
    m_identity.Version.Country = TWCY_USA;
    CopyTwainText(m_identity.Version.Info, LoadResStringAnsi(m_hInst, IDS_VERSION_INFO));
    m_identity.ProtocolMajor = TWON_PROTOCOLMAJOR;
    m_identity.ProtocolMinor = TWON_PROTOCOLMINOR;
    m_identity.SupportedGroups = DG_CONTROL | DG_IMAGE;
    CopyTwainText(m_identity.Manufacturer, LoadResStringAnsi(m_hInst, IDS_MANUFACTURER));
    CopyTwainText(m_identity.ProductFamily, LoadResStringAnsi(m_hInst, IDS_PRODUCT_FAMILY));
    CopyTwainText(m_identity.ProductName, m_product.ProductName());
}

namespace {
std::wstring ModulePath(HINSTANCE hInst) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = ::GetModuleFileNameW(hInst, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

bool IsNt6OrLater() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!::GetVersionExW(&info))
        return false;
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion > 5;
}

bool EnsureFolder(const std::wstring &path) {
    return ::CreateDirectoryW(path.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}
}  // namespace

std::wstring CTwainSrcApp::FindProfileFile() const {
    std::wstring module = ModulePath(m_hInst);
    if (module.empty())
        return {};
    if (IsNt6OrLater()) {
        wchar_t common[MAX_PATH] = {};
        if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                                         SHGFP_TYPE_CURRENT, common))) {
            std::wstring folder =
                std::wstring(common) + L"\\" + LoadResString(m_hInst, IDS_SETTINGS_FOLDER);
            if (EnsureFolder(folder)) {
                size_t slash = module.find_last_of(L"\\/");
                std::wstring base = module.substr(slash == std::wstring::npos ? 0 : slash + 1);
                size_t dot = base.find_last_of(L'.');
                if (dot != std::wstring::npos)
                    base.resize(dot);
                return folder + L"\\" + base + L".INI";
            }
        }
    }
    if (module.size() < 2)
        return {};
    return module.substr(0, module.size() - 2) + L"INI";
}
