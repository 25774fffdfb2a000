#include "FavoriteFile.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>

#include "ProfileFile.h"

namespace {

constexpr std::string_view kSection = "favorite";
constexpr std::string_view kBlanks = " \t";
// Lengths are millimetres on a page; anything beyond this is damage, and
// would overflow the pixel arithmetic of the pages.
constexpr double kMaxLength = 100000;

std::string_view TrimBlanks(std::string_view s) {
    const size_t first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    const size_t last = s.find_last_not_of(kBlanks);
    return s.substr(first, last - first + 1);
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char &c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// The profile functions drop one pair of enclosing quotes of either kind.
bool IsQuoted(std::string_view value) {
    return value.size() >= 2 && value.front() == value.back() &&
           (value.front() == '"' || value.front() == '\'');
}

// The keys of the favourite section, by lower-case name.
class CSectionValues : public IProfileFile {
public:
    std::optional<std::string> Read(std::string_view, std::string_view key) const override {
        const auto it = m_values.find(Lower(key));
        return it == m_values.end() ? std::nullopt : std::optional(it->second);
    }
    bool Write(std::string_view, std::string_view key, std::string_view value) override {
        m_values.emplace(Lower(key), std::string(value));
        return true;
    }
    bool Has(std::string_view key) const { return m_values.count(Lower(key)) != 0; }

private:
    std::map<std::string, std::string> m_values;
};

// Collects the values the favourite writes, in the order it writes them.
class CLineWriter : public IProfileFile {
public:
    std::optional<std::string> Read(std::string_view, std::string_view) const override {
        return std::nullopt;
    }
    bool Write(std::string_view, std::string_view key, std::string_view value) override {
        if (value.find_first_of("\r\n") != std::string_view::npos)
            return false;
        text.append(key).append("=");
        // Blanks at either end, or a pair of enclosing quotes, would be
        // lost on reading; one more pair of quotes keeps them.
        const bool guard =
            !value.empty() &&
            (kBlanks.find(value.front()) != std::string_view::npos ||
             kBlanks.find(value.back()) != std::string_view::npos || IsQuoted(value));
        if (guard)
            text.append("\"").append(value).append("\"");
        else
            text.append(value);
        text.append("\r\n");
        return true;
    }
    std::string text = "[favorite]\r\n";
};

bool IsInteger(std::string_view s) {
    s = TrimBlanks(s);
    if (s.starts_with('+'))
        s.remove_prefix(1);
    int32_t value = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), value);
    return !s.empty() && r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool IsLength(std::string_view s) {
    const std::string text(TrimBlanks(s));
    if (text.empty())
        return false;
    char *end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(value) &&
           std::fabs(value) <= kMaxLength;
}

// The favourite section's keys; nothing when the file has no such section.
std::optional<CSectionValues> FavoriteSection(std::string_view bytes) {
    std::optional<CSectionValues> values;
    bool inSection = false;
    while (!bytes.empty()) {
        // A lone CR ends a line too, so that no value holds a line break.
        const size_t end = bytes.find_first_of("\r\n");
        std::string_view line = TrimBlanks(bytes.substr(0, end));
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (line.starts_with('[')) {
            const size_t close = line.find(']');
            const std::string name = close == std::string_view::npos
                                         ? std::string()
                                         : Lower(TrimBlanks(line.substr(1, close - 1)));
            inSection = name == kSection;
            // Later sections of the same name add to the first.
            if (inSection && !values)
                values.emplace();
            continue;
        }
        const size_t equals = line.find('=');
        if (!inSection || equals == std::string_view::npos || line.starts_with(';'))
            continue;
        std::string_view value = TrimBlanks(line.substr(equals + 1));
        if (IsQuoted(value))
            value = value.substr(1, value.size() - 2);
        values->Write(kSection, TrimBlanks(line.substr(0, equals)), value);
    }
    return values;
}

}  // namespace

CFavoriteFile::SRead CFavoriteFile::Read(std::string_view bytes) {
    if (bytes.size() > kMaxBytes)
        return {EFavoriteFile::TooLarge, {}};
    if (bytes.find('\0') != std::string_view::npos)
        return {EFavoriteFile::NotText, {}};
    const std::optional<CSectionValues> section = FavoriteSection(bytes);
    if (!section)
        return {EFavoriteFile::NoSection, {}};
    for (const CFavoriteInfo::SKey &key : CFavoriteInfo::Keys()) {
        const auto value = section->Read(kSection, key.name);
        if (!value)
            return {EFavoriteFile::MissingKey, {}};
        if ((key.intField && !IsInteger(*value)) || (key.realField && !IsLength(*value)))
            return {EFavoriteFile::BadNumber, {}};
    }
    return {EFavoriteFile::Read, CFavoriteInfo::Load(*section)};
}

std::string CFavoriteFile::Text(const CFavoriteInfo &favorite) {
    CLineWriter writer;
    return favorite.Save(writer) ? writer.text : std::string();
}
