// The kill test's saving program on Windows: loads the file named on its
// command line, signals the named event given after it, then saves until
// it is terminated.

#include <windows.h>

#include <shellapi.h>

#include "tests/store/kill_versions.h"

int main() {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == nullptr || count < 3) return 2;
  const std::wstring path = arguments[1];
  const std::wstring eventName = arguments[2];
  ondrel::test::SaveKillVersionsForever(ondrel::Text(path.begin(), path.end()), [&eventName] {
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, eventName.c_str());
    if (ready != nullptr) {
      SetEvent(ready);
      CloseHandle(ready);
    }
  });
}
