// The common file dialogs of the data source go through here, so that
// tests (which cannot drive a real file dialog) can answer them.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

enum class EFileChoice { Open, Save };

// Receives the kind of dialog and the suggested file name; returns the
// chosen path, or nothing for Cancel.
using DsFileChooser =
    std::function<std::optional<std::wstring>(EFileChoice kind, const std::wstring &suggested)>;

// `filter` in the resource form "text|pattern|...||"; `extension` (no dot)
// is added by the dialog when the user types a name without one.
std::optional<std::wstring> DsChooseFile(HWND owner, EFileChoice kind, const std::wstring &filter,
                                         const std::wstring &suggested, const wchar_t *extension);
// Installs a chooser; an empty one restores the real dialogs.
void SetDsFileChooser(DsFileChooser chooser);
