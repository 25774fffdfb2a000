#include "ScanTwain.h"

#include <algorithm>
#include <cstring>

#include "DiagLog.h"
#include "DsmLocation.h"
#include "ResString.h"
#include "TwainMessageText.h"
#include "res/scanapp_ids.h"

namespace {

std::wstring Wide(const std::string &ansi) {
    const int n =
        ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), out.data(), n);
    return out;
}
}  // namespace

CScanTwain::CScanTwain(HINSTANCE module, IScanTwainHost &host)
    : m_module(module),
      m_host(host),
      m_sources(LoadResStringAnsi(module, IDS_MANUFACTURER),
                LoadResStringAnsi(module, IDS_PRODUCT_FAMILY)) {}

CScanTwain::~CScanTwain() = default;

TW_UINT16 CScanTwain::Call(TW_IDENTITY *dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                           void *data) {
    if (!m_entry)
        return TWRC_FAILURE;
    return m_entry(&m_app, dest, dg, dat, msg, static_cast<TW_MEMREF>(data));
}

int CScanTwain::Fail(int id, TW_IDENTITY *statusDest, int line, bool duringTransfer) {
    TW_STATUS status{};
    std::wstring text;
    if (Call(statusDest, DG_CONTROL, DAT_STATUS, MSG_GET, &status) == TWRC_SUCCESS) {
        text = CTwainMessageText::WithCode(LoadResString(m_module, id), status.ConditionCode);
    } else {
        text = CTwainMessageText::WithLocation(LoadResString(m_module, IDS_ERR_NO_CONDITION),
                                               kSourceFile, line);
    }
    WriteLog("TWAIN step failed: message %d, condition %u", id, status.ConditionCode);
    m_host.ShowTwainMessage(text, duringTransfer);
    return id;
}

int CScanTwain::FailWithPath(int id) {
    WriteLog("loadDSM failed: message %d, %s", id, m_dsmPath.c_str());
    m_host.ShowTwainMessage(
        CTwainMessageText::WithPath(LoadResString(m_module, id), Wide(m_dsmPath)), false);
    return id;
}

int CScanTwain::loadDSM() {
    m_dsmPath = CDsmLocation::Path([](char *buffer, unsigned size) {
        return static_cast<unsigned>(::GetWindowsDirectoryA(buffer, size));
    });
    HMODULE loaded = ::LoadLibraryA(m_dsmPath.c_str());
    if (!loaded)
        return FailWithPath(IDS_ERR_DSM_NOT_FOUND);
    auto entry = reinterpret_cast<DSMENTRYPROC>(
        reinterpret_cast<void (*)()>(::GetProcAddress(loaded, MAKEINTRESOURCEA(1))));
    if (!entry) {
        ::FreeLibrary(loaded);
        return FailWithPath(IDS_ERR_DSM_BROKEN);
    }
    // One reference is kept however often the scan command loads the
    // library again, so that the one FreeLibrary at the end unloads it.
    if (loaded == m_dsm.Get())
        ::FreeLibrary(loaded);
    else
        m_dsm.Reset(loaded);
    m_entry = entry;
    m_state = std::max(m_state, 2);
    WriteLog("loadDSM %s", m_dsmPath.c_str());
    return 0;
}

void CScanTwain::FillAppIdentity() {
    m_app = TW_IDENTITY{};
    m_app.Id = 0;
    m_app.Version.MajorNum = 0;
    m_app.Version.MinorNum = 0;
    m_app.Version.Language = TWLG_JAPANESE;
    m_app.Version.Country = TWCY_JAPAN;
    CopyTwainText(m_app.Version.Info, LoadResStringAnsi(m_module, IDS_VERSION_INFO));
    m_app.ProtocolMajor = 1;
    m_app.ProtocolMinor = 8;
    m_app.SupportedGroups = DG_CONTROL | DG_IMAGE;
    CopyTwainText(m_app.Manufacturer, LoadResStringAnsi(m_module, IDS_MANUFACTURER));
    CopyTwainText(m_app.ProductFamily, LoadResStringAnsi(m_module, IDS_PRODUCT_FAMILY));
    CopyTwainText(m_app.ProductName, LoadResStringAnsi(m_module, IDS_PRODUCT_NAME));
}

int CScanTwain::openDSM() {
    FillAppIdentity();
    HWND window = m_host.TwainWindow();
    if (Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &window) != TWRC_SUCCESS)
        return Fail(IDS_ERR_OPENDSM, nullptr, __LINE__);
    m_state = 3;
    WriteLog("openDSM");
    return 0;
}

int CScanTwain::getDSList() {
    if (const int failed = loadDSM())
        return failed;
    if (const int failed = openDSM())
        return failed;
    m_sources.Clear();
    TW_IDENTITY found{};
    TW_UINT16 rc = Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &found);
    while (rc == TWRC_SUCCESS) {
        const bool kept = m_sources.Offer(found);
        WriteLog("getDSList: %.34s / %.34s / %.34s %s", found.Manufacturer, found.ProductFamily,
                 found.ProductName, kept ? "listed" : "left out");
        found = TW_IDENTITY{};
        rc = Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &found);
    }
    int result = 0;
    if (rc != TWRC_ENDOFLIST)
        result = Fail(IDS_ERR_GETDSLIST, nullptr, __LINE__);
    const int closed = closeDSM();
    return result ? result : closed;
}

void CScanTwain::SetCurrent(size_t index) {
    if (index >= m_sources.Entries().size())
        return;
    m_current = index;
    m_source = m_sources.Entries()[index];
    WriteLog("current DS %.34s", m_source.ProductName);
}

void CScanTwain::ListAndChoose(const std::string &savedName) {
    m_current.reset();
    if (getDSList() != 0)
        return;
    const std::string wanted =
        CSourceList::WantedName(savedName, LoadResStringAnsi(m_module, IDS_DEFAULT_DS));
    if (const auto index = m_sources.Choose(wanted))
        SetCurrent(*index);
    else
        WriteLog("no data source listed");
}

int CScanTwain::openDS() {
    // The message names no code: a missing driver is all the user can act on.
    if (Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &m_source) != TWRC_SUCCESS)
        return Fail(IDS_ERR_OPENDS, nullptr, __LINE__);
    m_state = 4;
    WriteLog("openDS %.34s", m_source.ProductName);
    return 0;
}

int CScanTwain::enableDS() {
    TW_USERINTERFACE ui{};
    ui.ShowUI = 1;
    ui.ModalUI = 0;
    ui.hParent = m_host.TwainWindow();
    if (Call(&m_source, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui) != TWRC_SUCCESS)
        return Fail(IDS_ERR_ENABLEDS, &m_source, __LINE__);
    m_enabled = true;
    m_state = 5;
    WriteLog("enableDS");
    return 0;
}

int CScanTwain::disableDS() {
    TW_USERINTERFACE ui{};
    ui.hParent = m_host.TwainWindow();
    if (Call(&m_source, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui) != TWRC_SUCCESS)
        return Fail(IDS_ERR_DISABLEDS, &m_source, __LINE__);
    m_enabled = false;
    m_state = 4;
    WriteLog("disableDS");
    return 0;
}

int CScanTwain::closeDS() {
    if (Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &m_source) != TWRC_SUCCESS)
        return Fail(IDS_ERR_CLOSEDS, &m_source, __LINE__);
    m_state = 3;
    WriteLog("closeDS");
    return 0;
}

int CScanTwain::closeDSM() {
    HWND window = m_host.TwainWindow();
    if (Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &window) != TWRC_SUCCESS)
        return Fail(IDS_ERR_CLOSEDSM, nullptr, __LINE__);
    m_state = 2;
    WriteLog("closeDSM");
    return 0;
}

TW_UINT16 CScanTwain::processEvent(MSG &msg, TW_UINT16 &twMessage) {
    TW_EVENT event{};
    event.pEvent = reinterpret_cast<TW_MEMREF>(&msg);
    event.TWMessage = MSG_NULL;
    const TW_UINT16 rc = Call(&m_source, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event);
    twMessage = event.TWMessage;
    return rc;
}

int CScanTwain::StartScan() {
    for (int (CScanTwain::*step)() :
         {&CScanTwain::loadDSM, &CScanTwain::openDSM, &CScanTwain::openDS, &CScanTwain::enableDS})
        if (const int failed = (this->*step)())
            return failed;
    return 0;
}

int CScanTwain::CloseSequence() {
    for (int (CScanTwain::*step)() :
         {&CScanTwain::disableDS, &CScanTwain::closeDS, &CScanTwain::closeDSM})
        if (const int failed = (this->*step)())
            return failed;
    return 0;
}

void CScanTwain::CloseQuietly() {
    if (!m_entry)
        return;
    HWND window = m_host.TwainWindow();
    if (m_state >= 5) {
        TW_USERINTERFACE ui{};
        Call(&m_source, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
        m_enabled = false;
    }
    if (m_state >= 4)
        Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &m_source);
    if (m_state >= 3)
        Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &window);
    m_state = 2;
}

TW_UINT32 CScanTwain::setupMemXfer() {
    TW_SETUPMEMXFER setup{};
    if (Call(&m_source, DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup) != TWRC_SUCCESS)
        throw static_cast<int>(IDS_ERR_SETUPXFER);
    return setup.Preferred;
}

int CScanTwain::getImageInfo(TW_IMAGEINFO &info, double &resolution) {
    info = TW_IMAGEINFO{};
    if (Call(&m_source, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info) != TWRC_SUCCESS)
        throw static_cast<int>(IDS_ERR_IMAGEINFO);
    int colour = 0;
    if (info.SamplesPerPixel == 1 && info.BitsPerSample[0] == 1)
        colour = 1;
    else if (info.SamplesPerPixel == 1 && info.BitsPerSample[0] == 8)
        colour = 2;
    else if (info.SamplesPerPixel == 3 && info.BitsPerSample[0] == 8 &&
             info.BitsPerSample[1] == 8 && info.BitsPerSample[2] == 8)
        colour = 3;
    resolution = info.XResolution.Whole;
    if (colour == 1 && m_host.OutputType() == 2)
        throw static_cast<int>(IDS_ERR_MONO_JPEG);
    if (colour == 1 && m_host.OutputType() == 5)
        throw static_cast<int>(IDS_ERR_MONO_HCPDF);
    return colour;
}

TW_UINT16 CScanTwain::imageMemXfer(void *buffer, TW_UINT32 &length, TW_IMAGEMEMXFER &block) {
    block = TW_IMAGEMEMXFER{};
    block.Memory.Flags = TWMF_APPOWNS;
    block.Memory.Length = length;
    block.Memory.TheMem = static_cast<TW_MEMREF>(buffer);
    const TW_UINT16 rc = Call(&m_source, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &block);
    if (rc != TWRC_SUCCESS && rc != TWRC_CANCEL && rc != TWRC_XFERDONE)
        throw static_cast<int>(IDS_ERR_IMAGEXFER);
    length = block.BytesWritten;
    return rc;
}

bool CScanTwain::endXfer() {
    TW_PENDINGXFERS pending{};
    if (Call(&m_source, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending) != TWRC_SUCCESS)
        throw static_cast<int>(IDS_ERR_PENDINGXFERS);
    return pending.Count == 0;
}

void CScanTwain::resetXfers() {
    TW_PENDINGXFERS pending{};
    if (Call(&m_source, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending) != TWRC_SUCCESS)
        throw static_cast<int>(IDS_ERR_PENDINGXFERS);
}
