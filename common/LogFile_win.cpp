#include "LogFile.h"

#include <windows.h>

namespace {
HANDLE AsHandle(intptr_t h) {
    return reinterpret_cast<HANDLE>(h);
}
}  // namespace

CLogFile::~CLogFile() {
    Close();
}

bool CLogFile::Open(const std::string &path) {
    Close();
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    m_handle = reinterpret_cast<intptr_t>(h);
    return true;
}

void CLogFile::Close() {
    if (IsOpen())
        CloseHandle(AsHandle(m_handle));
    m_handle = -1;
}

bool CLogFile::IsOpen() const {
    return m_handle != -1 && AsHandle(m_handle) != INVALID_HANDLE_VALUE;
}

int64_t CLogFile::Append(const char *data, size_t size) {
    if (!IsOpen())
        return -1;
    HANDLE h = AsHandle(m_handle);
    if (SetFilePointer(h, 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR)
        return -1;
    DWORD written = 0;
    WriteFile(h, data, static_cast<DWORD>(size), &written, nullptr);
    LARGE_INTEGER fileSize;
    if (!GetFileSizeEx(h, &fileSize))
        return -1;
    return fileSize.QuadPart;
}

bool CLogFile::Rename(const std::string &from, const std::string &to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

std::string CLogFile::SwitchPath(const char *fileName) {
    char dir[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof dir, dir);
    if (n == 0 || n > MAX_PATH)
        return std::string();
    return std::string(dir, n) + fileName;
}
