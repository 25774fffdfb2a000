#include "ServerTexts.h"

#include <cstddef>

namespace {

struct STextEntry {
    unsigned id;
    const wchar_t *text;
};

constexpr STextEntry kTexts[] = {
#include "server_texts.inc"
};

}  // namespace

std::wstring CServerTexts::Load(unsigned id) const {
    for (const STextEntry &e : kTexts) {
        if (e.id == id)
            return e.text;
    }
    return std::wstring();
}
