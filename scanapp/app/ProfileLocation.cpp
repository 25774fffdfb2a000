#include "ProfileLocation.h"

std::vector<size_t> CProfileLocation::Separators(const std::string &path) const {
    std::vector<size_t> out;
    for (size_t i = 0; i < path.size(); ++i) {
        if (m_isLeadByte(path[i])) {
            ++i;
            continue;
        }
        if (path[i] == '\\' || path[i] == '/')
            out.push_back(i);
    }
    return out;
}

std::string CProfileLocation::Folder(const std::string &programPath) const {
    const std::vector<size_t> seps = Separators(programPath);
    return seps.empty() ? std::string() : programPath.substr(0, seps.back() + 1);
}

std::string CProfileLocation::BaseName(const std::string &programPath) const {
    const std::vector<size_t> seps = Separators(programPath);
    const size_t start = seps.empty() ? 0 : seps.back() + 1;
    std::string name = programPath.substr(start);
    // The last dot that is a character of its own, not a trail byte.
    size_t dot = std::string::npos;
    for (size_t i = 0; i < name.size(); ++i) {
        if (m_isLeadByte(name[i]))
            ++i;
        else if (name[i] == '.')
            dot = i;
    }
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string CProfileLocation::InDataFolder(const std::string &commonAppData,
                                           const std::string &dataFolder,
                                           const std::string &programPath) const {
    return commonAppData + "\\" + dataFolder + "\\" + BaseName(programPath) + ".INI";
}

std::string CProfileLocation::BesideProgram(const std::string &programPath) const {
    // A path shorter than its extension cannot be a program file; the name
    // is then kept and the extension added, rather than cut short.
    if (programPath.size() < 3)
        return programPath + "INI";
    return programPath.substr(0, programPath.size() - 3) + "INI";
}

std::string CProfileLocation::DefaultsFile(const std::string &programPath) const {
    return Folder(programPath) + BaseName(programPath) + "_Defaults.ini";
}

std::vector<std::string> CProfileLocation::FolderLevels(const std::string &path) const {
    std::vector<std::string> out;
    for (size_t sep : Separators(path)) {
        std::string prefix = path.substr(0, sep);
        if (prefix.empty() || (prefix.size() == 2 && prefix[1] == ':') || prefix == "\\")
            continue;
        out.push_back(std::move(prefix));
    }
    return out;
}
