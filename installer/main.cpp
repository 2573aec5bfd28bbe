// The Ondrel installer: shows the licence and installs on Agree.
#include <windows.h>

#include "dll_search.h"
#include "installer_window.h"
#include "organiser/win32/window_dpi.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace ondrel::installer;
  ondrel::setup::LimitDllSearchToSystemFolder();
  if (!RegisterInstallerClass(instance)) return 1;
  // Made before the window, at the screen's DPI: the window opens on the main
  // display, whose DPI that is, and lays itself out at its own.
  const InstallerFonts fonts = CreateInstallerFonts(ondrel::ScreenDpi());
  const HWND window = CreateInstallerWindow(instance, fonts);
  if (!window) return 1;
  ShowWindow(window, SW_SHOW);

  // GetMessage's -1 ends the loop too: there is no window left to serve then.
  MSG message{};
  BOOL got;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  // The quit message carries the outcome: 0 when installed or cancelled at
  // the licence.
  return got == 0 ? static_cast<int>(message.wParam) : 0;
}
