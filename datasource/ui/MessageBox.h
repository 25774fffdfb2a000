// Every message box of the data source goes through here, so that tests
// (which cannot click a real system-modal box) can answer it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Receives the text and the MB_* flags and returns the button id.
using DsMessageBoxAnswerer = std::function<int(const std::wstring &text, UINT flags)>;

int DsMessageBox(HWND owner, const std::wstring &text, UINT flags);
// Shows a string-table text with the application title as the caption.
int DsMessageBox(HWND owner, UINT textId, UINT flags);
// Installs an answerer; an empty one restores the real message box.
void SetDsMessageBoxAnswerer(DsMessageBoxAnswerer answerer);
