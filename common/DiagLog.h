// Diagnostic log shared by the data source and the scan utility.
//
// Off by default: every call returns at once while no file is open. A person
// switches it on for a program by creating an empty file named after the
// program's log (for example "corvsrc.log") in the user's temporary folder;
// the program then appends time-stamped lines to it from its next start.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>

#include "LogFile.h"

class CDiagLog {
public:
    // Past this size the file is moved to "<path>.bak" and a new one begun.
    static constexpr int64_t kRotateSize = 0x100000;

    static CDiagLog &Instance();

    // Opens (or creates) the log file; logging stays off when that fails.
    bool Open(const std::string &path);
    // Opens the log only when the switch file exists; returns whether it did.
    bool OpenIfSwitchedOn(const char *fileName);
    void Close();
    bool IsOpen() const { return m_file.IsOpen(); }
    bool IsEnabled() const { return m_enabled != 0; }
    const std::string &Path() const { return m_path; }

    void WriteV(const char *format, va_list args);
    // Writes one line with its time prefix; returns the file size after
    // writing, or -1 when nothing was written.
    int64_t WriteLine(const std::string &text);

private:
    std::string m_path;
    uint32_t m_enabled = 0;
    CLogFile m_file;
    std::string m_line;
};

// printf-style; appends "\r\n". An empty message writes nothing.
void WriteLog(const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
