#include "WinFile.h"

#include "DiskFile.h"
#include "ImageError.h"

#include <windows.h>

namespace corv {
namespace {

// Names longer than MAX_PATH are refused by the ANSI conversion, as the
// ANSI file API would refuse them.
constexpr int kMaxAnsiName = MAX_PATH;

[[noreturn]] void RaiseLastError() {
    DWORD err = GetLastError();
    RaiseImageError(err ? err : ERROR_GEN_FAILURE);
}

std::wstring WidenAnsi(const char *name) {
    int n = MultiByteToWideChar(CP_ACP, 0, name, -1, nullptr, 0);
    if (n <= 0 || n > kMaxAnsiName + 1)
        RaiseLastError();
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, name, -1, out.data(), n);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

std::string NarrowAnsi(const wchar_t *name) {
    int n = WideCharToMultiByte(CP_ACP, 0, name, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        RaiseLastError();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, name, -1, out.data(), n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

HANDLE AsHandle(void *h) {
    return static_cast<HANDLE>(h);
}

}  // namespace

CWinFile::CWinFile(const char *ansiName)
    : m_handle(INVALID_HANDLE_VALUE), m_wideName(WidenAnsi(ansiName)), m_ansiName(ansiName) {}

CWinFile::CWinFile(const wchar_t *wideName)
    : m_handle(INVALID_HANDLE_VALUE), m_wideName(wideName), m_ansiName(NarrowAnsi(wideName)) {}

CWinFile::~CWinFile() {
    try {
        CloseFile();
    } catch (...) {
        // A destructor cannot report; writers close explicitly to see failures.
    }
}

size_t CWinFile::ReadRaw(void *bytes, size_t count) {
    RequireOpen();
    DWORD got = 0;
    if (!ReadFile(AsHandle(m_handle), bytes, static_cast<DWORD>(count), &got, nullptr))
        RaiseLastError();
    return got;
}

size_t CWinFile::WriteRaw(const void *bytes, size_t count) {
    RequireOpen();
    DWORD put = 0;
    if (!WriteFile(AsHandle(m_handle), bytes, static_cast<DWORD>(count), &put, nullptr))
        RaiseLastError();
    if (put != count)
        RaiseImageError(ERROR_DISK_FULL);
    return put;
}

int64_t CWinFile::TellRaw() {
    return SeekRaw(0, kSeekCurrent);
}

int64_t CWinFile::SeekRaw(int64_t offset, int origin) {
    RequireOpen();
    DWORD method;
    switch (origin) {
        case kSeekBegin:
            method = FILE_BEGIN;
            break;
        case kSeekEnd:
            method = FILE_END;
            break;
        case kSeekCurrent:
            method = FILE_CURRENT;
            break;
        default:
            RaiseImageError(kErrInvalidArg);
    }
    LONG high = static_cast<LONG>(offset >> 32);
    SetLastError(NO_ERROR);
    DWORD low =
        SetFilePointer(AsHandle(m_handle), static_cast<LONG>(offset & 0xFFFFFFFF), &high, method);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        RaiseLastError();
    return (static_cast<int64_t>(high) << 32) | low;
}

void CWinFile::OpenWith(int mode, bool mustExist) {
    DWORD access;
    switch (mode) {
        case kOpenRead:
            access = GENERIC_READ;
            break;
        case kOpenWrite:
            access = GENERIC_WRITE;
            break;
        case kOpenReadWrite:
            access = GENERIC_READ | GENERIC_WRITE;
            break;
        default:
            RaiseImageError(kErrInvalidArg);
    }
    CloseFile();
    DWORD share = mustExist && mode == kOpenRead ? FILE_SHARE_READ : 0;
    HANDLE h = CreateFileW(m_wideName.c_str(), access, share, nullptr,
                           mustExist ? OPEN_EXISTING : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        RaiseLastError();
    m_handle = h;
    m_isOpen = true;
    DropBuffer();
}

void CWinFile::Open(int mode) {
    OpenWith(mode, false);
}

void CWinFile::OpenExisting(int mode) {
    OpenWith(mode, true);
}

void CWinFile::Create() {
    HANDLE h = CreateFileW(m_wideName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        RaiseLastError();
    CloseHandle(h);
}

void CWinFile::Remove() {
    CloseFile();
    if (!DeleteFileW(m_wideName.c_str()))
        RaiseLastError();
}

void CWinFile::CloseFile() {
    if (m_handle == INVALID_HANDLE_VALUE)
        return;
    HANDLE h = AsHandle(m_handle);
    try {
        Settle();
    } catch (...) {
        CloseHandle(h);
        m_handle = INVALID_HANDLE_VALUE;
        m_isOpen = false;
        DropBuffer();
        throw;
    }
    m_handle = INVALID_HANDLE_VALUE;
    m_isOpen = false;
    DropBuffer();
    if (!CloseHandle(h))
        RaiseLastError();
}

bool CWinFile::Exists() {
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(m_wideName.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    FindClose(h);
    return true;
}

int64_t CWinFile::Size() {
    if (m_isOpen)
        Flush();
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(m_wideName.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    FindClose(h);
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void CWinFile::SetLength(int64_t length) {
    RequireOpen();
    Settle();
    SeekRaw(length, kSeekBegin);
    if (!SetEndOfFile(AsHandle(m_handle)))
        RaiseLastError();
}

int64_t CWinFile::Length() {
    RequireOpen();
    Settle();
    int64_t here = TellRaw();
    int64_t end = SeekRaw(0, kSeekEnd);
    SeekRaw(here, kSeekBegin);
    return end;
}

void CWinFile::RenameA(const char *name) {
    RenameW(WidenAnsi(name).c_str());
}

void CWinFile::RenameW(const wchar_t *name) {
    if (!MoveFileW(m_wideName.c_str(), name))
        RaiseLastError();
    m_wideName = name;
    m_ansiName = NarrowAnsi(name);
}

std::unique_ptr<CComFile> NewDiskFile(const char *name) {
    return std::make_unique<CWinFile>(name);
}

bool RemoveDiskFile(const char *name) {
    return DeleteFileA(name) != 0;
}

}  // namespace corv
