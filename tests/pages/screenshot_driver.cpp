// Drives the programs for scripts/screenshots.sh: waits for a window, clicks
// or types what the picture needs, and prints the screen rectangle of the
// window to take ("x y width height") so the script can cut the picture out.
//
//   screenshot_driver tab N      (N = 1 notes, 2 passwords, 3 phone book):
//                                the organiser's main window on that page
//   screenshot_driver question   types into the note page's subject and
//                                clicks another tab: the save question box
//   screenshot_driver answer     answers the save question No
//   screenshot_driver close      closes the organiser
//   screenshot_driver installer  the installer's window
//   screenshot_driver cancel     clicks the installer's Cancel
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

// A visible top-level window of className (and caption, when given).
HWND WaitForWindow(const wchar_t* className, const wchar_t* caption = nullptr) {
  for (int attempt = 0; attempt < 200; ++attempt) {
    HWND window = FindWindowW(className, caption);
    if (window != nullptr && IsWindowVisible(window)) return window;
    Sleep(50);
  }
  return nullptr;
}

// The organiser's save question: a dialog box of the organiser's process.
HWND WaitForQuestion(HWND organiser) {
  DWORD organiserProcess = 0;
  GetWindowThreadProcessId(organiser, &organiserProcess);
  for (int attempt = 0; attempt < 200; ++attempt) {
    for (HWND box = FindWindowW(L"#32770", nullptr); box != nullptr;
         box = FindWindowExW(nullptr, box, L"#32770", nullptr)) {
      DWORD process = 0;
      GetWindowThreadProcessId(box, &process);
      if (process == organiserProcess && IsWindowVisible(box)) return box;
    }
    Sleep(50);
  }
  return nullptr;
}

int PrintRect(HWND window) {
  if (window == nullptr) {
    std::fprintf(stderr, "no such window\n");
    return 1;
  }
  RECT rect{};
  GetWindowRect(window, &rect);
  std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: screenshot_driver tab N | question | answer | close | installer | cancel\n");
    return 2;
  }
  const char* command = argv[1];
  if (std::strcmp(command, "installer") == 0) return PrintRect(WaitForWindow(L"ZqInstall"));
  if (std::strcmp(command, "cancel") == 0) {
    const HWND installer = WaitForWindow(L"ZqInstall");
    if (installer == nullptr) return 1;
    PostMessageW(GetDlgItem(installer, 101), BM_CLICK, 0, 0);
    return 0;
  }

  HWND window = WaitForWindow(L"Ondrel");
  if (window == nullptr) {
    std::fprintf(stderr, "no organiser window\n");
    return 1;
  }
  if (std::strcmp(command, "close") == 0) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    return 0;
  }
  if (std::strcmp(command, "tab") == 0 && argc == 3) {
    const int page = argv[2][0] - '0';
    if (page < 1 || page > 3 || argv[2][1] != '\0') return 2;
    // The tab buttons of pages 1, 2 and 3 have the ids 300, 301 and 302.
    SendMessageW(GetDlgItem(window, 299 + page), BM_CLICK, 0, 0);
    return PrintRect(window);
  }
  if (std::strcmp(command, "question") == 0) {
    // The note page's subject (110), then the phone book's tab (302):
    // posted, as the box it opens holds the organiser until answered.
    SendMessageW(GetDlgItem(window, 110), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(L"Shopping for the weekend"));
    PostMessageW(GetDlgItem(window, 302), BM_CLICK, 0, 0);
    return PrintRect(WaitForQuestion(window));
  }
  if (std::strcmp(command, "answer") == 0) {
    const HWND box = WaitForQuestion(window);
    if (box == nullptr) return 1;
    PostMessageW(box, WM_COMMAND, IDNO, 0);
    return 0;
  }
  return 2;
}
