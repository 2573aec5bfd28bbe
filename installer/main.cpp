// The Ondrel installer: shows the licence and installs on Agree.
#include <windows.h>

#include "installer_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  using namespace ondrel::installer;
  if (!RegisterInstallerClass(instance)) return 1;
  const InstallerFonts fonts = CreateInstallerFonts();
  const HWND window = CreateInstallerWindow(instance, fonts);
  if (!window) return 1;
  ShowWindow(window, SW_SHOW);

  // GetMessage's -1 ends the loop too: there is no window left to serve then.
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
