#include "self_delete.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <optional>

#include "organiser/win32/kernel_handle.h"
#include "self_delete_command.h"
#include "system_paths.h"
#include "wide_path.h"

namespace ondrel::uninstall {
namespace {

// The short (8.3) form of a path, so that it needs no quotes where the system
// has short names. Nothing when it cannot be had within MAX_PATH.
std::optional<std::wstring> ShortPath(const std::wstring& path) {
  wchar_t shortPath[MAX_PATH] = {};
  const DWORD length = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::nullopt;
  return std::wstring(shortPath, length);
}

std::optional<std::wstring> CommandInterpreter() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(L"COMSPEC", path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::nullopt;
  return std::wstring(path, length);
}

void RestoreNormalPriority() {
  SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
}

}  // namespace

bool DeleteSelf(const std::wstring& installationFolder) {
  const std::optional<std::wstring> ownFile = setup::ModulePath();
  if (!ownFile) return false;
  const std::optional<std::wstring> shortFile = ShortPath(*ownFile);
  if (!shortFile) return false;
  const std::optional<std::wstring> interpreter = CommandInterpreter();
  if (!interpreter) return false;
  const std::optional<std::wstring> folder =
      ShortPath(setup::WithoutTrailingBackslash(installationFolder));
  const std::optional<std::wstring> parameters = SelfDeleteParameters(
      *shortFile, folder ? std::optional<std::wstring_view>(*folder) : std::nullopt);
  if (!parameters) return false;
  // The interpreter works outside the installation folder, which it removes.
  const std::optional<std::wstring> workingFolder = setup::SystemFolder();

  // The wide form: the interpreter gets every name with all its letters.
  SHELLEXECUTEINFOW start{};
  start.cbSize = sizeof(start);
  start.fMask = SEE_MASK_NOCLOSEPROCESS;
  start.lpVerb = L"Open";
  start.lpFile = interpreter->c_str();
  start.lpParameters = parameters->c_str();
  start.lpDirectory = workingFolder ? workingFolder->c_str() : nullptr;
  start.nShow = SW_HIDE;

  // Run ahead of the interpreter where the system honours priorities.
  SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
  if (!ShellExecuteExW(&start)) {
    RestoreNormalPriority();
    return false;
  }
  const KernelHandle interpreterProcess(start.hProcess);
  if (interpreterProcess.get()) {
    SetPriorityClass(interpreterProcess.get(), IDLE_PRIORITY_CLASS);
    SetProcessPriorityBoost(interpreterProcess.get(), TRUE);
  }
  SHChangeNotify(SHCNE_DELETE, SHCNF_PATHW, shortFile->c_str(), nullptr);
  return true;
}

}  // namespace ondrel::uninstall
