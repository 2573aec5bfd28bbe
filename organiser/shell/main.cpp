// The organiser's entry point: one copy at a time, then the shell runs.

#include <windows.h>

#include <memory>

#include "organiser/platform/platform.h"
#include "organiser/shell/main_window.h"
#include "organiser/shell/program_folder.h"
#include "organiser/store/clock.h"
#include "organiser/store/file_system.h"
#include "organiser/win32/kernel_handle.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // The named mutex marks a running copy. Ownership is given up at once:
  // only the name's existence matters, and the open handle keeps it alive
  // until this copy ends.
  ondrel::KernelHandle instanceGuard(CreateMutexW(nullptr, TRUE, L"Ondrel-088FA840"));
  const bool anotherCopyRuns = GetLastError() == ERROR_ALREADY_EXISTS;
  if (instanceGuard) ReleaseMutex(instanceGuard.get());
  if (anotherCopyRuns) return 0;

  try {
    const std::unique_ptr<ondrel::FileSystem> files = ondrel::NewPlatformFileSystem();
    const std::unique_ptr<ondrel::Clock> clock = ondrel::NewPlatformClock();
    ondrel::MainWindow mainWindow(ondrel::ProgramFolder(), *files, *clock);
    mainWindow.Initialize();
    if (mainWindow.Create() == nullptr) return 1;
    return mainWindow.RunMessageLoop();
  } catch (...) {
    return 1;
  }
}
