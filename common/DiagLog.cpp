#include "DiagLog.h"

#include <cstdio>
#include <ctime>
#include <vector>

CDiagLog &CDiagLog::Instance() {
    static CDiagLog log;
    return log;
}

bool CDiagLog::Open(const std::string &path) {
    m_path = path;
    m_enabled = m_file.Open(path) ? 1 : 0;
    return m_enabled != 0;
}

bool CDiagLog::OpenIfSwitchedOn(const char *fileName) {
    std::string path = CLogFile::SwitchPath(fileName);
    if (path.empty())
        return false;
    if (FILE *f = std::fopen(path.c_str(), "rb")) {
        std::fclose(f);
        return Open(path);
    }
    return false;
}

void CDiagLog::Close() {
    m_file.Close();
    m_enabled = 0;
}

void CDiagLog::WriteV(const char *format, va_list args) {
    if (!m_file.IsOpen() || !format)
        return;
    // Formatted into a buffer sized for the message, so a long text (a
    // server reply, a path) is logged whole instead of overrunning a fixed
    // line buffer.
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n <= 0)
        return;
    m_line.resize(static_cast<size_t>(n) + 1);
    std::vsnprintf(m_line.data(), m_line.size(), format, args);
    m_line.resize(static_cast<size_t>(n));
    m_line += "\r\n";
    WriteLine(m_line);
}

int64_t CDiagLog::WriteLine(const std::string &text) {
    if (!m_file.IsOpen())
        return -1;
    std::time_t now = std::time(nullptr);
    std::tm local{};
    if (const std::tm *t = std::localtime(&now))
        local = *t;
    char prefix[64];
    int p =
        std::snprintf(prefix, sizeof prefix, "(%d.%02d.%02d %02d:%02d:%02d)", local.tm_year + 1900,
                      local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    std::string line(prefix, static_cast<size_t>(p));
    line += text;
    int64_t size = m_file.Append(line.data(), line.size());
    if (size > kRotateSize) {
        // The line that crossed the limit stays in the file that becomes the
        // backup; the next line starts the new file.
        m_file.Close();
        CLogFile::Rename(m_path, m_path + ".bak");
        if (!m_file.Open(m_path))
            m_enabled = 0;
    }
    return size;
}

void WriteLog(const char *format, ...) {
    va_list args;
    va_start(args, format);
    CDiagLog::Instance().WriteV(format, args);
    va_end(args);
}
