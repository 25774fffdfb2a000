// Where the utility keeps its settings: one profile file per program, in the
// machine's common application-data folder on Vista and later (the program
// folder is not writable there), else beside the program; and the defaults
// file an installer may put beside the program for the first start.
//
// Paths are ANSI bytes: in a double-byte code page a '\' byte can be the
// second half of a character, so every split asks which bytes lead one.
#pragma once

#include <functional>
#include <string>
#include <vector>

class CProfileLocation {
public:
    using LeadByteTest = std::function<bool(char)>;

    explicit CProfileLocation(LeadByteTest isLeadByte) : m_isLeadByte(std::move(isLeadByte)) {}

    // "<folder>\<dataFolder>\<program base name>.INI".
    std::string InDataFolder(const std::string &commonAppData, const std::string &dataFolder,
                             const std::string &programPath) const;
    // The program's path with its last three characters made "INI".
    std::string BesideProgram(const std::string &programPath) const;
    // "<drive><dir><base name>_Defaults.ini".
    std::string DefaultsFile(const std::string &programPath) const;
    // Every prefix of `path` that ends at a '\' or '/' (the separator left
    // out), shortest first: the folders to create for it. A drive ("C:")
    // or the empty start of a UNC name is left out.
    std::vector<std::string> FolderLevels(const std::string &path) const;

private:
    // Byte offsets of the path separators, lead bytes' partners skipped.
    std::vector<size_t> Separators(const std::string &path) const;
    // The program file's name without folder and extension.
    std::string BaseName(const std::string &programPath) const;
    // Everything up to and including the last separator.
    std::string Folder(const std::string &programPath) const;

    LeadByteTest m_isLeadByte;
};
