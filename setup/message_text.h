// What the installer's and the uninstaller's message boxes say, and how they
// show paths and system errors.
#pragma once

#include <windows.h>

#include <string>

namespace ondrel::setup {

// Caption of every message box of the installer and the uninstaller.
inline constexpr const wchar_t* kMessageCaption = L"Ondrel";

// A path as a message shows it: in lines of at most 64 characters, and a path
// of more than 320 characters by its first two and last two lines, where the
// user can tell which path it is.
std::wstring ShownPath(const std::wstring& path);

// The system's own words for an error code (a Win32 error or an HRESULT),
// without the closing line end; "error N" when the system has none.
std::wstring SystemErrorText(DWORD error);

// Shows text in a message box with the caption "Ondrel"; MessageBoxW's answer
// (0 when no box could be shown).
int ShowMessage(HWND owner, const std::wstring& text, UINT type);

}  // namespace ondrel::setup
