// Whatever the settings files hold (a user's hand edits, a file from an
// older version, a damaged disk) must load without harm: every value of
// every key comes from the fuzzer's bytes, the scrambled password reader
// takes any text, and the favourite file reader takes the bytes as a file.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "FavoriteFile.h"
#include "FavoriteInfo.h"
#include "PasswordScrambler.h"
#include "ProfileFile.h"
#include "SettingsLists.h"
#include "SettingsStore.h"

namespace {

// Answers each read with the next length-prefixed piece of the input; a
// zero length byte means the key is missing.
class CFuzzProfile : public IProfileFile {
public:
    CFuzzProfile(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}
    std::optional<std::string> Read(std::string_view, std::string_view) const override {
        if (m_pos >= m_size)
            return std::nullopt;
        const size_t len = m_data[m_pos++];
        if (len == 0)
            return std::nullopt;
        const size_t take = std::min(len - 1, m_size - m_pos);
        std::string value(reinterpret_cast<const char *>(m_data + m_pos), take);
        m_pos += take;
        return value;
    }
    bool Write(std::string_view, std::string_view, std::string_view) override { return true; }

private:
    const uint8_t *m_data;
    size_t m_size;
    mutable size_t m_pos = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const std::string plain = CPasswordScrambler::Unscramble(text);
    if (CPasswordScrambler::Unscramble(CPasswordScrambler::Scramble(text)) != text)
        __builtin_trap();
    (void)plain;

    CFuzzProfile privateFile(data, size), options(data, size), profile(data, size);
    CSettingsStore store(privateFile, options, profile);
    store.LoadUnit();
    store.LoadForDialog(L"");
    store.RequestParams(false);
    store.RequestParams(true);
    store.HttpPort(80);

    // A favourite file from anywhere (an import) loads within its limits,
    // and applying it never leaves a code outside the value lists.
    CFuzzProfile favoriteFile(data, size);
    const CFavoriteInfo favorite = CFavoriteInfo::Load(favoriteFile);
    if (favorite.Name.size() >= 260 || favorite.Comment.size() >= 260)
        __builtin_trap();
    CScanSettings applied = CScanSettings::Standard();
    favorite.ApplyTo(applied);
    if (CSettingsLists::ColorMode().CodeToIndex(applied.ColorMode) < 0)
        __builtin_trap();

    // The same bytes as a whole favourite file: what is read is what
    // writing it gives back, and reading that again changes nothing.
    const CFavoriteFile::SRead read = CFavoriteFile::Read(text);
    if (read.status == EFavoriteFile::Read) {
        if (read.favorite.Name.size() >= 260 || read.favorite.Comment.size() >= 260)
            __builtin_trap();
        const std::string written = CFavoriteFile::Text(read.favorite);
        const CFavoriteFile::SRead again = CFavoriteFile::Read(written);
        if (written.empty() || again.status != EFavoriteFile::Read ||
            CFavoriteFile::Text(again.favorite) != written)
            __builtin_trap();
    }
    return 0;
}
