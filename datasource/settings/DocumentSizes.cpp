#include "DocumentSizes.h"

#include "TextFormat.h"
#include "res/settings_ids.h"

std::optional<SPaperSize> CDocumentSizes::Size(int32_t code) const {
    if (!IsStandard(code)) {
        return std::nullopt;
    }
    const std::wstring text = m_strings.Load(IDS_PAPERSIZE_FIRST + (code - kFirstStandard));
    const auto blank = text.find_first_of(L" \t", text.find_first_not_of(L" \t"));
    if (blank == std::wstring::npos) {
        return std::nullopt;
    }
    const auto width = CTextFormat::ParseDecimal(std::wstring_view(text).substr(0, blank));
    const auto height = CTextFormat::ParseDecimal(std::wstring_view(text).substr(blank));
    if (!width || !height || *width <= 0 || *height <= 0) {
        return std::nullopt;
    }
    return SPaperSize{*width, *height};
}
