#pragma once
// The DPI a window is shown at. Windows 10 (version 1607 on) gives each window
// the DPI of the display it stands on; older systems know one DPI for the
// whole screen. The per-window function is looked up at run time: a program
// that imported it would not start on the older systems.

#include <windows.h>

#include "organiser/win32/dpi_scale.h"

namespace ondrel {

// WM_DPICHANGED, which headers made for older systems lack: a window moved to
// a display of another DPI, with that DPI (in both words of wParam) and the
// rectangle the system suggests for it (lParam).
constexpr UINT kDpiChangedMessage = 0x02E0;

// The screen's DPI (the system's, on every Windows); 96 when the system does
// not say.
inline int ScreenDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDesignDpi;
}

// The DPI of the display window stands on, where the system knows one per
// window; otherwise the screen's. After a WM_DPICHANGED the window's owner
// keeps the DPI the message carried: Wine answers the system's DPI here
// even then.
inline int WindowDpi(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  // user32 is in every program with a window: asking for it loads nothing.
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  const FARPROC found = user32 != nullptr ? GetProcAddress(user32, "GetDpiForWindow") : nullptr;
  // Through the generic function pointer type, which any other may be cast
  // from and to.
  const auto getDpiForWindow =
      reinterpret_cast<GetDpiForWindowFunction>(reinterpret_cast<void (*)()>(found));
  if (getDpiForWindow != nullptr && window != nullptr) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  return ScreenDpi();
}

}  // namespace ondrel
