#include "self_delete.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "ansi_path.h"
#include "organiser/win32/kernel_handle.h"
#include "self_delete_command.h"
#include "system_paths.h"

namespace ondrel::uninstall {
namespace {

// The short (8.3) form of a path, so that it needs no quotes where the system
// has short names. Nothing when it cannot be had within MAX_PATH.
std::optional<std::string> ShortPath(const std::string& path) {
  char shortPath[MAX_PATH] = {};
  const DWORD length = GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::nullopt;
  return std::string(shortPath, length);
}

std::optional<std::string> CommandInterpreter() {
  char path[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA("COMSPEC", path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::nullopt;
  return std::string(path, length);
}

std::optional<std::string> SystemFolder() {
  char path[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryA(path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::nullopt;
  return std::string(path, length);
}

void RestoreNormalPriority() {
  SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
}

}  // namespace

bool DeleteSelf(const std::string& installationFolder) {
  const std::optional<std::string> ownFile = setup::ModulePath();
  if (!ownFile) return false;
  const std::optional<std::string> shortFile = ShortPath(*ownFile);
  if (!shortFile) return false;
  const std::optional<std::string> interpreter = CommandInterpreter();
  if (!interpreter) return false;
  const std::optional<std::string> folder =
      ShortPath(setup::WithoutTrailingBackslash(installationFolder));
  const std::optional<std::string> parameters = SelfDeleteParameters(
      *shortFile, folder ? std::optional<std::string_view>(*folder) : std::nullopt);
  if (!parameters) return false;
  // The interpreter works outside the installation folder, which it removes.
  const std::optional<std::string> workingFolder = SystemFolder();

  SHELLEXECUTEINFOA start{};
  start.cbSize = sizeof(start);
  start.fMask = SEE_MASK_NOCLOSEPROCESS;
  start.lpVerb = "Open";
  start.lpFile = interpreter->c_str();
  start.lpParameters = parameters->c_str();
  start.lpDirectory = workingFolder ? workingFolder->c_str() : nullptr;
  start.nShow = SW_HIDE;

  // Run ahead of the interpreter where the system honours priorities.
  SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
  if (!ShellExecuteExA(&start)) {
    RestoreNormalPriority();
    return false;
  }
  const KernelHandle interpreterProcess(start.hProcess);
  if (interpreterProcess.get()) {
    SetPriorityClass(interpreterProcess.get(), IDLE_PRIORITY_CLASS);
    SetProcessPriorityBoost(interpreterProcess.get(), TRUE);
  }
  SHChangeNotify(SHCNE_DELETE, SHCNF_PATHA, shortFile->c_str(), nullptr);
  return true;
}

}  // namespace ondrel::uninstall
