// Reads the settings' resource script the way the resource compiler does
// for the few forms it uses: "#define NAME number" in the id header and
// "NAME [+ n], "text"" lines in the string table.
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>

#include "TestStrings.h"

namespace {

std::wstring FromUtf8(const std::string &bytes) {
    std::wstring out;
    for (size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        const int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
        unsigned long cp = extra == 0 ? c : c & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < bytes.size(); ++k) {
            cp = cp << 6 | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
        }
        out.push_back(static_cast<wchar_t>(cp));
        i += 1 + extra;
    }
    return out;
}

std::string ReadFile(const char *path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error(std::string("cannot read ") + path);
    }
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

class CRcStrings : public IStringSource {
public:
    CRcStrings() {
        std::map<std::string, unsigned> ids;
        std::istringstream header(ReadFile(CORV_SETTINGS_IDS));
        for (std::string line; std::getline(header, line);) {
            std::istringstream words(line);
            std::string define, name;
            unsigned value = 0;
            if (words >> define >> name >> value && define == "#define") {
                ids[name] = value;
            }
        }
        std::istringstream script(ReadFile(CORV_SETTINGS_RC));
        for (std::string line; std::getline(script, line);) {
            const auto comma = line.find(", \"");
            if (comma == std::string::npos || line.back() != '"') {
                continue;
            }
            std::istringstream expr(line.substr(0, comma));
            std::string name, plus;
            unsigned offset = 0;
            expr >> name >> plus >> offset;
            m_strings[ids.at(name) + offset] =
                Unescape(line.substr(comma + 3, line.size() - comma - 4));
        }
    }

    std::wstring Load(unsigned id) const override {
        const auto it = m_strings.find(id);
        return it == m_strings.end() ? std::wstring() : it->second;
    }

private:
    static std::wstring Unescape(const std::string &quoted) {
        std::string bytes;
        for (size_t i = 0; i < quoted.size(); ++i) {
            if ((quoted[i] == '\\' || quoted[i] == '"') && i + 1 < quoted.size()) {
                ++i;
            }
            bytes.push_back(quoted[i]);
        }
        return FromUtf8(bytes);
    }

    std::map<unsigned, std::wstring> m_strings;
};

}  // namespace

const IStringSource &TestStrings() {
    static const CRcStrings strings;
    return strings;
}
