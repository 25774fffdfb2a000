// String-table access for a module's own resources, for every folder of
// both programs.
#pragma once

#include <windows.h>

#include <string>

std::wstring LoadResString(HINSTANCE hInst, UINT id);
// The string in the system ANSI code page, as TWAIN's byte-counted text
// fields and the profile functions expect it.
std::string LoadResStringAnsi(HINSTANCE hInst, UINT id);
// Copies an ANSI string into a TWAIN text field only when it fits with its
// terminating zero; a longer text is not cut in the middle of a character.
template <size_t N>
void CopyTwainText(char (&field)[N], const std::string &text) {
    size_t n = text.size() < N ? text.copy(field, text.size()) : 0;
    field[n] = '\0';
}
