// Keeps Wine's desktop process alive for a whole test run. Started once,
// with its output going nowhere, before the tests: otherwise the first
// window of every test starts a desktop process that inherits the test's
// output pipe, and the test harness waits for that process to end.
// Shows nothing; ends with the wineserver.

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // A window that is never shown attaches this process to the desktop.
  HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  if (window == nullptr) return 1;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
