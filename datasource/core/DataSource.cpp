#include "DataSource.h"

#include "res/corvsrc_ids.h"
#include "DiagLog.h"
#include "MessageBox.h"
#include "ResString.h"
#include "TwainSrcApp.h"
#include "twain/TwainFailure.h"

namespace {

std::string TempFolder() {
    char buf[MAX_PATH + 1] = {};
    DWORD n = ::GetTempPathA(sizeof(buf), buf);
    if (n == 0 || n >= sizeof(buf))
        n = ::GetCurrentDirectoryA(sizeof(buf), buf);
    std::string folder = (n == 0 || n >= sizeof(buf)) ? std::string() : std::string(buf, n);
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    return folder;
}

constexpr TW_UINT16 kCountMorePages = static_cast<TW_UINT16>(-1);

}  // namespace

CDataSource::CDataSource(const TW_IDENTITY &appIdentity, const TW_IDENTITY &sourceIdentity)
    : m_mainDlg(*this),
      m_appIdentity(appIdentity),
      m_sourceIdentity(sourceIdentity),
      m_caps(TheApp().Instance(), [this] { return m_job && m_job->MorePages(); }) {
    const std::wstring &title = TheApp().AppName();
    m_instanceMutex.Reset(::CreateMutexW(nullptr, FALSE, title.c_str()));
    if (!m_instanceMutex)
        throw CTwainFailure{TWCC_LOWMEMORY};
    DWORD wait = ::WaitForSingleObject(m_instanceMutex.Get(), 1);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED)
        throw CTwainFailure{TWCC_MAXCONNECTIONS};
    m_defaultFolder = TempFolder();
    m_xferFileName = DefaultXferFileName();
}

CDataSource::~CDataSource() {
    if (m_job) {
        m_job->MarkEnding();
        m_job.reset();
    }
    m_mainDlg.DestroyDialog();
    if (m_instanceMutex)
        ::ReleaseMutex(m_instanceMutex.Get());
}

// ---- Capabilities ----------------------------------------------------------

TW_UINT16 CDataSource::OnCapability(const TwainTriplet &t) {
    auto *cap = reinterpret_cast<pTW_CAPABILITY>(t.pData);
    if (t.MSG < MSG_GET || t.MSG > MSG_RESET || t.MSG == MSG_GETFIRST || t.MSG == MSG_GETNEXT)
        return TheApp().Fail(TWCC_BADPROTOCOL);
    if (!cap)
        return TheApp().Fail(TWCC_BADVALUE);
    TW_UINT16 cc = m_caps.Operate(t.MSG, *cap);
    TheApp().SetConditionCode(cc);
    return cc == TWCC_SUCCESS ? TWRC_SUCCESS : TWRC_FAILURE;
}

// ---- User interface --------------------------------------------------------

TW_UINT16 CDataSource::OnUserInterface(const TwainTriplet &t) {
    auto *ui = reinterpret_cast<pTW_USERINTERFACE>(t.pData);
    m_uiOnly = false;
    switch (t.MSG) {
        case MSG_ENABLEDS:
        case MSG_ENABLEDSUIONLY:
            if (!ui)
                return TheApp().Fail(TWCC_BADVALUE);
            return EnableDS(*ui, t.MSG == MSG_ENABLEDSUIONLY, ui->ShowUI);
        case MSG_DISABLEDS:
            if (m_state < STATE5)
                return TheApp().Fail(TWCC_SEQERROR);
            // A job still alive stays for MSG_CLOSEDS to end.
            m_mainDlg.DestroyDialog();
            m_state = STATE4;
            return TWRC_SUCCESS;
        default:
            return TheApp().Fail(TWCC_BADPROTOCOL);
    }
}

TW_UINT16 CDataSource::EnableDS(const TW_USERINTERFACE &ui, bool uiOnly, TW_BOOL &showUI) {
    if (m_state != STATE4)
        return TheApp().Fail(TWCC_SEQERROR);
    m_uiOnly = uiOnly;
    HWND parent = static_cast<HWND>(ui.hParent);
    wchar_t title[256] = {};
    if (parent && ::IsWindow(parent))
        ::GetWindowTextW(parent, title, 256);
    m_parentTitle = title;
    m_mainDlg.DestroyDialog();
    if (!m_mainDlg.Create(parent))
        return TheApp().Fail(TWCC_LOWMEMORY);
    m_mainDlg.Show();
    m_state = STATE5;
    if (uiOnly) {
        m_mainDlg.SetScanButtonText(L"OK");
        return TWRC_SUCCESS;
    }
    if (showUI)
        return TWRC_SUCCESS;
    // The source cannot scan without its dialog: it shows it anyway and says
    // so, which is what TWRC_CHECKSTATUS with ShowUI rewritten means.
    showUI = TRUE;
    return TWRC_CHECKSTATUS;
}

// ---- Scan start, cancel, end of job -----------------------------------------

void CDataSource::ScanStart() {
    m_mainDlg.Enable(false);
    if (m_uiOnly) {
        // In UI-only mode the user only confirms the settings.
        Notify(MSG_CLOSEDSOK);
        return;
    }
    if (m_job)
        m_job->ApplyDialogSettings();
    else
        EnsureJob();
    if (!m_job) {
        DsMessageBox(m_mainDlg.Hwnd(), IDS_SCAN_UNAVAILABLE,
                     MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
        m_mainDlg.Enable(true);
        return;
    }
    m_job->ResetPageCount();
    if (m_job->Advance() != 0) {
        m_job->ShowErrorMessage();
        m_mainDlg.Enable(true);
        m_mainDlg.RefreshState();
        m_job.reset();
        m_state = STATE5;
        return;
    }
    m_state = STATE6;
    Notify(MSG_XFERREADY);
}

HGLOBAL CDataSource::Prescan() {
    m_mainDlg.Enable(false);
    EndJob();
    HGLOBAL image = nullptr;
    if (const ScanJobFactory &factory = TheApp().JobFactory())
        m_job = factory(*this, true);
    if (m_job) {
        image = m_transfers.ReadPrescanImage(*m_job);
        // The server's job ends with the prescan: a scan from the held
        // image needs nothing more of it, and a new scan starts its own.
        EndJob();
    }
    m_mainDlg.Enable(true);
    return image;
}

HINSTANCE CDataSource::ResourceModule() const {
    return TheApp().Instance();
}

std::wstring CDataSource::ProfilePath() const {
    return TheApp().ProfileFile();
}

void CDataSource::CloseForEndSession() {
    TheApp().CloseSource();
}

HWND CDataSource::ProgressWindow() const {
    return m_job ? m_job->ProgressWindow() : nullptr;
}

double CDataSource::CurrentResolution() const {
    return m_caps.XResolution();
}

void CDataSource::Cancel() {
    EndJob();
    Notify(MSG_CLOSEDSREQ);
}

void CDataSource::EndJob() {
    if (m_job) {
        m_job->MarkEnding();
        m_job.reset();
    }
    if (m_state > STATE5)
        m_state = STATE5;
}

void CDataSource::Notify(TW_UINT16 msg) {
    HINSTANCE hInst = TheApp().Instance();
    CAutoModule dsm(::LoadLibraryW(LoadResString(hInst, IDS_DSM_LIBRARY).c_str()));
    if (!dsm)
        return;
    std::string entryName = LoadResStringAnsi(hInst, IDS_DSM_ENTRY);
    auto entry = reinterpret_cast<DSMENTRYPROC>(
        reinterpret_cast<void (*)()>(::GetProcAddress(dsm.Get(), entryName.c_str())));
    if (!entry)
        return;
    TW_IDENTITY origin = m_sourceIdentity;
    TW_IDENTITY dest = m_appIdentity;
    entry(&origin, &dest, DG_CONTROL, DAT_NULL, msg, nullptr);
}

// ---- Pending transfers -------------------------------------------------------

bool CDataSource::FinishPage() {
    m_job->FinishPage();
    return m_job->MorePages();
}

bool CDataSource::KeepsJobAfterPage() const {
    return !m_job->IsPlaten() || m_mainDlg.HasHeldImage();
}

TW_UINT16 CDataSource::OnPendingXfers(const TwainTriplet &t) {
    auto *pending = reinterpret_cast<pTW_PENDINGXFERS>(t.pData);
    if (t.MSG != MSG_GET && t.MSG != MSG_ENDXFER && t.MSG != MSG_RESET)
        return TheApp().Fail(TWCC_BADPROTOCOL);
    if (!pending)
        return TheApp().Fail(TWCC_BADVALUE);
    switch (t.MSG) {
        case MSG_GET:
            return PendingGet(*pending);
        case MSG_ENDXFER:
            return PendingEndXfer(*pending);
        default:
            return PendingReset(*pending);
    }
}

TW_UINT16 CDataSource::PendingGet(TW_PENDINGXFERS &pending) {
    if (!m_job) {
        pending.Count = 0;
        return TWRC_SUCCESS;
    }
    pending.Count = FinishPage() ? kCountMorePages : 0;
    m_job->ResetResult();
    m_job->CloseProgressDialog();
    if (m_job->IsPlaten() && !m_mainDlg.HasHeldImage())
        EndJob();
    ReturnToDialog();
    return TWRC_SUCCESS;
}

void CDataSource::ReturnToDialog() {
    // The scan disabled the dialog; once no page is pending the user must be
    // able to scan again or close it, whatever ended the transfers.
    if (m_state == STATE5)
        m_mainDlg.Enable(true);
}

TW_UINT16 CDataSource::PendingEndXfer(TW_PENDINGXFERS &pending) {
    if (!m_job) {
        pending.Count = 0;
        // Never from state 4: that would claim a dialog that is not there.
        if (m_state > STATE5)
            m_state = STATE5;
        ReturnToDialog();
        return TWRC_SUCCESS;
    }
    if (m_state < STATE6)
        return TheApp().Fail(TWCC_SEQERROR);
    pending.Count = FinishPage() ? kCountMorePages : 0;
    if (KeepsJobAfterPage())
        m_job->ResetResult();
    else
        EndJob();
    m_state = pending.Count != 0 ? STATE6 : STATE5;
    ReturnToDialog();
    TheApp().SetConditionCode(TWCC_SUCCESS);
    return TWRC_SUCCESS;
}

TW_UINT16 CDataSource::PendingReset(TW_PENDINGXFERS &pending) {
    if (m_job && m_state < STATE6)
        return TheApp().Fail(TWCC_SEQERROR);
    // The rest of the job is given up even when no page of it was begun
    // (the application dropped the next sheet with MSG_ENDXFER): the
    // server must not be left holding it.
    if (m_job) {
        if (m_job->HasProgressDialog())
            FinishPage();
        if (m_job->IsPlaten() && m_mainDlg.HasHeldImage()) {
            m_job->ResetResult();
            m_job->CloseProgressDialog();
        } else {
            EndJob();
        }
    }
    m_mainDlg.Enable(true);
    pending.Count = 0;
    if (m_state > STATE5)
        m_state = STATE5;
    return TWRC_SUCCESS;
}

// ---- Transfer group and palette ------------------------------------------------

TW_UINT16 CDataSource::OnXferGroup(const TwainTriplet &t) {
    if (m_state > STATE6)
        return TheApp().Fail(TWCC_SEQERROR);
    switch (t.MSG) {
        case MSG_GET:
        case MSG_GETCURRENT:
        case MSG_GETDEFAULT:
        case MSG_RESET:
            if (t.pData)
                *reinterpret_cast<TW_UINT32 *>(t.pData) = DG_IMAGE;
            // Transfer groups are not supported: the answer is given, but as a
            // failure, and the condition code is left as it was.
            return TWRC_FAILURE;
        case MSG_SET:
            return TheApp().Fail(TWCC_BADDEST);
        default:
            return TheApp().Fail(TWCC_BADPROTOCOL);
    }
}

TW_UINT16 CDataSource::OnPalette8(const TwainTriplet &) {
    if (m_state > STATE6)
        return TheApp().Fail(TWCC_SEQERROR);
    return TheApp().Fail(TWCC_BADPROTOCOL);
}

// ---- Transfer file and job ----------------------------------------------------------

void CDataSource::SetXferFile(const std::string &name, TW_UINT16 format) {
    m_xferFileName = name.substr(0, 255);
    m_xferFileFormat = format;
}

std::string CDataSource::DefaultXferFileName() const {
    std::string name =
        m_defaultFolder + LoadResStringAnsi(TheApp().Instance(), IDS_DEFAULT_XFER_FILE);
    return name.size() > 255 ? std::string() : name;
}

IScanJob *CDataSource::EnsureJob() {
    if (!m_job) {
        if (const ScanJobFactory &factory = TheApp().JobFactory())
            m_job = factory(*this, false);
    }
    return m_job.get();
}
