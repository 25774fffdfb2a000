#include "LogFile.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CLogFile::~CLogFile() {
    Close();
}

bool CLogFile::Open(const std::string &path) {
    Close();
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    m_handle = fd;
    return true;
}

void CLogFile::Close() {
    if (m_handle >= 0)
        ::close(static_cast<int>(m_handle));
    m_handle = -1;
}

bool CLogFile::IsOpen() const {
    return m_handle >= 0;
}

int64_t CLogFile::Append(const char *data, size_t size) {
    if (m_handle < 0)
        return -1;
    int fd = static_cast<int>(m_handle);
    if (::lseek(fd, 0, SEEK_END) < 0)
        return -1;
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n <= 0)
            break;  // write errors are not reported: the size tells the caller
        data += n;
        size -= static_cast<size_t>(n);
    }
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return -1;
    return st.st_size;
}

bool CLogFile::Rename(const std::string &from, const std::string &to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

std::string CLogFile::SwitchPath(const char *fileName) {
    const char *tmp = std::getenv("TMPDIR");
    std::string dir = (tmp && *tmp) ? tmp : "/tmp";
    if (dir.back() != '/')
        dir += '/';
    return dir + fileName;
}
