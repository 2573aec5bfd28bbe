// The installer's one window: the licence with Agree and Cancel.
#pragma once

#include <windows.h>

#include "organiser/win32/gdi_owners.h"

namespace ondrel::installer {

inline constexpr const wchar_t* kInstallerClassName = L"ZqInstall";
inline constexpr const wchar_t* kInstallerTitle = L" Ondrel Installer";

inline constexpr int kAgreeButtonId = 100;
inline constexpr int kCancelButtonId = 101;
inline constexpr int kLicenceBoxId = 102;

// At 100 %; scaled to the window's DPI.
inline constexpr int kClientWidth = 600;
inline constexpr int kClientHeight = 400;

// The installer's two fonts: "MS Sans Serif" 13 for the buttons, "Courier"
// 15 for the licence (at 100 %; scaled, in their TrueType twins, at other
// DPIs). They must outlive the controls that use them.
struct InstallerFonts {
  Font buttons;
  Font licence;
};

// Creates both fonts at dpi; a font that cannot be made stays empty and the
// controls keep the system font.
InstallerFonts CreateInstallerFonts(int dpi);

// Registers the window class; false when that fails.
bool RegisterInstallerClass(HINSTANCE instance);

// Creates the main window, centred and showing the licence read from
// "license.txt" beside the installer, its controls in the given fonts
// (borrowed: they must outlive the window). When the licence cannot be read
// the box says why and there is no Agree button. Null when the window cannot
// be created.
HWND CreateInstallerWindow(HINSTANCE instance, const InstallerFonts& fonts);

LRESULT CALLBACK InstallerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Sizes the window so that its client area is clientWidth by clientHeight and
// centres it on the primary display (at (0, 0) without a display context).
void CentreWindow(HWND window, int clientWidth, int clientHeight);

}  // namespace ondrel::installer
