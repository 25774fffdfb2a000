// The one file the diagnostic log writes to, behind a small interface so the
// log's rules are the same on Windows and in the native test build.
#pragma once

#include <cstdint>
#include <string>

class CLogFile {
public:
    CLogFile() = default;
    ~CLogFile();
    CLogFile(const CLogFile &) = delete;
    CLogFile &operator=(const CLogFile &) = delete;

    // Opens an existing file or creates it, for writing, readable by others.
    bool Open(const std::string &path);
    void Close();
    bool IsOpen() const;

    // Appends at the end of the file; returns the size after writing, or -1
    // when nothing could be written.
    int64_t Append(const char *data, size_t size);

    // Replaces `to` with `from`.
    static bool Rename(const std::string &from, const std::string &to);

    // Where a person drops a file of this name to switch logging on: the
    // user's temporary folder.
    static std::string SwitchPath(const char *fileName);

private:
    intptr_t m_handle = -1;
};
