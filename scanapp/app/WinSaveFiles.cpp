#include "WinSaveFiles.h"

#include <windows.h>

#include "DiagLog.h"
#include "PathText.h"

bool CWinSaveFiles::CreateNew(const std::string &path) {
    const HANDLE file = ::CreateFileW(CPathText::Wide(path).c_str(), 0, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(file);
    return true;
}

bool CWinSaveFiles::Exists(const std::string &path) {
    return ::GetFileAttributesW(CPathText::Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CWinSaveFiles::Remove(const std::string &path) {
    return ::DeleteFileW(CPathText::Wide(path).c_str()) != FALSE;
}

std::optional<uint64_t> CWinSaveFiles::Size(const std::string &path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(CPathText::Wide(path).c_str(), GetFileExInfoStandard, &data)) {
        WriteLog("%s# GetFileAttributesEx(%s) failed %d", "CScanAppDlg::checkFileSize",
                 path.c_str(), static_cast<int>(::GetLastError()));
        return std::nullopt;
    }
    return (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

std::string CWinSaveFiles::WriterName(const std::string &path) {
    return CPathText::Ansi(CPathText::Wide(path));
}
