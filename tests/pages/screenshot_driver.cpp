// Drives a running organiser for scripts/screenshots.sh: waits for its main
// window, clicks a tab or closes the window, and prints the window's screen
// rectangle ("x y width height") so the script can cut the picture out.
//
//   screenshot_driver tab N   (N = 1 notes, 2 passwords, 3 phone book)
//   screenshot_driver close
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

HWND WaitForMainWindow() {
  for (int attempt = 0; attempt < 200; ++attempt) {
    HWND window = FindWindowW(L"Ondrel", nullptr);
    if (window != nullptr && IsWindowVisible(window)) return window;
    Sleep(50);
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: screenshot_driver tab N | close\n");
    return 2;
  }
  HWND window = WaitForMainWindow();
  if (window == nullptr) {
    std::fprintf(stderr, "no organiser window\n");
    return 1;
  }
  if (std::strcmp(argv[1], "close") == 0) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    return 0;
  }
  if (std::strcmp(argv[1], "tab") == 0 && argc == 3) {
    const int page = argv[2][0] - '0';
    if (page < 1 || page > 3 || argv[2][1] != '\0') return 2;
    // The tab buttons of pages 1, 2 and 3 have the ids 300, 301 and 302.
    SendMessageW(GetDlgItem(window, 299 + page), BM_CLICK, 0, 0);
    RECT rect{};
    GetWindowRect(window, &rect);
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    return 0;
  }
  return 2;
}
