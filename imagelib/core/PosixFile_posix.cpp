#include "PosixFile.h"

#include "DiskFile.h"
#include "ImageError.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corv {
namespace {

// Win32 codes for the errno values a file call can give.
constexpr uint32_t kWinFileNotFound = 2;
constexpr uint32_t kWinPathNotFound = 3;
constexpr uint32_t kWinTooManyOpenFiles = 4;
constexpr uint32_t kWinAccessDenied = 5;
constexpr uint32_t kWinInvalidHandle = 6;
constexpr uint32_t kWinWriteProtect = 19;
constexpr uint32_t kWinGenFailure = 31;
constexpr uint32_t kWinSharingViolation = 32;
constexpr uint32_t kWinFileExists = 80;
constexpr uint32_t kWinDiskFull = 112;
constexpr uint32_t kWinNegativeSeek = 131;
constexpr uint32_t kWinFilenameTooLong = 206;

[[noreturn]] void RaiseErrno() {
    RaiseImageError(Win32CodeFromErrno(errno));
}

std::wstring WidenUtf8(const std::string &s) {
    std::wstring out;
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
        uint32_t cp = extra == 0 ? c : c & (0x3F >> extra);
        ++i;
        for (int k = 0; k < extra && i < s.size(); ++k, ++i)
            cp = (cp << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
        out.push_back(static_cast<wchar_t>(cp));
    }
    return out;
}

}  // namespace

uint32_t Win32CodeFromErrno(int err) {
    switch (err) {
        case ENOENT:
            return kWinFileNotFound;
        case ENOTDIR:
            return kWinPathNotFound;
        case EMFILE:
        case ENFILE:
            return kWinTooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EISDIR:
            return kWinAccessDenied;
        case EBADF:
            return kWinInvalidHandle;
        case EROFS:
            return kWinWriteProtect;
        case EBUSY:
        case ETXTBSY:
            return kWinSharingViolation;
        case EEXIST:
            return kWinFileExists;
        case ENOSPC:
        case EFBIG:
        case EDQUOT:
            return kWinDiskFull;
        case EINVAL:
            return kErrInvalidArg;
        case ENOMEM:
            return kErrNoMemory;
        case ENAMETOOLONG:
            return kWinFilenameTooLong;
        default:
            return kWinGenFailure;
    }
}

CPosixFile::CPosixFile(const char *name) : m_name(name), m_wideName(WidenUtf8(m_name)) {}

CPosixFile::~CPosixFile() {
    try {
        CloseFile();
    } catch (...) {
        // A destructor cannot report; writers close explicitly to see failures.
    }
}

size_t CPosixFile::ReadRaw(void *bytes, size_t count) {
    RequireOpen();
    size_t done = 0;
    while (done < count) {
        ssize_t n = ::read(m_fd, static_cast<char *>(bytes) + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            RaiseErrno();
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    return done;
}

size_t CPosixFile::WriteRaw(const void *bytes, size_t count) {
    RequireOpen();
    size_t done = 0;
    while (done < count) {
        ssize_t n = ::write(m_fd, static_cast<const char *>(bytes) + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            RaiseErrno();
        if (n == 0)
            RaiseImageError(kWinDiskFull);
        done += static_cast<size_t>(n);
    }
    return done;
}

int64_t CPosixFile::TellRaw() {
    RequireOpen();
    off_t pos = ::lseek(m_fd, 0, SEEK_CUR);
    if (pos < 0)
        RaiseErrno();
    return pos;
}

int64_t CPosixFile::SeekRaw(int64_t offset, int origin) {
    RequireOpen();
    int whence;
    switch (origin) {
        case kSeekBegin:
            whence = SEEK_SET;
            break;
        case kSeekEnd:
            whence = SEEK_END;
            break;
        case kSeekCurrent:
            whence = SEEK_CUR;
            break;
        default:
            RaiseImageError(kErrInvalidArg);
    }
    off_t pos = ::lseek(m_fd, static_cast<off_t>(offset), whence);
    if (pos < 0)
        RaiseImageError(errno == EINVAL ? kWinNegativeSeek : Win32CodeFromErrno(errno));
    return pos;
}

void CPosixFile::OpenWith(int mode, bool mustExist) {
    int access;
    switch (mode) {
        case kOpenRead:
            access = O_RDONLY;
            break;
        case kOpenWrite:
            access = O_WRONLY;
            break;
        case kOpenReadWrite:
            access = O_RDWR;
            break;
        default:
            RaiseImageError(kErrInvalidArg);
    }
    CloseFile();
    int flags = access | O_CLOEXEC | (mustExist ? 0 : O_CREAT);
    int fd = ::open(m_name.c_str(), flags, 0666);
    if (fd < 0)
        RaiseErrno();
    m_fd = fd;
    m_isOpen = true;
    DropBuffer();
}

void CPosixFile::Open(int mode) {
    OpenWith(mode, false);
}

void CPosixFile::OpenExisting(int mode) {
    OpenWith(mode, true);
}

void CPosixFile::Create() {
    int fd = ::open(m_name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        RaiseErrno();
    ::close(fd);
}

void CPosixFile::Remove() {
    CloseFile();
    if (::unlink(m_name.c_str()) != 0)
        RaiseErrno();
}

void CPosixFile::CloseFile() {
    if (m_fd < 0)
        return;
    // Pending bytes must reach the file even if the close itself then fails.
    int fd = m_fd;
    try {
        Settle();
    } catch (...) {
        ::close(fd);
        m_fd = -1;
        m_isOpen = false;
        DropBuffer();
        throw;
    }
    m_fd = -1;
    m_isOpen = false;
    DropBuffer();
    if (::close(fd) != 0)
        RaiseErrno();
}

bool CPosixFile::Exists() {
    struct stat st;
    return ::stat(m_name.c_str(), &st) == 0;
}

int64_t CPosixFile::Size() {
    if (m_isOpen)
        Flush();
    struct stat st;
    return ::stat(m_name.c_str(), &st) == 0 ? static_cast<int64_t>(st.st_size) : 0;
}

void CPosixFile::SetLength(int64_t length) {
    RequireOpen();
    Settle();
    if (::ftruncate(m_fd, static_cast<off_t>(length)) != 0)
        RaiseErrno();
    SeekRaw(length, kSeekBegin);
}

int64_t CPosixFile::Length() {
    RequireOpen();
    Settle();
    int64_t here = TellRaw();
    int64_t end = SeekRaw(0, kSeekEnd);
    SeekRaw(here, kSeekBegin);
    return end;
}

void CPosixFile::RenameA(const char *name) {
    if (::rename(m_name.c_str(), name) != 0)
        RaiseErrno();
    m_name = name;
    m_wideName = WidenUtf8(m_name);
}

std::unique_ptr<CComFile> NewDiskFile(const char *name) {
    return std::make_unique<CPosixFile>(name);
}

bool RemoveDiskFile(const char *name) {
    return ::unlink(name) == 0;
}

}  // namespace corv
