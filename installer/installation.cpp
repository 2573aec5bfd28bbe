#include "installation.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "install_plan.h"
#include "organiser/win32/kernel_handle.h"
#include "shortcuts.h"
#include "system_folders.h"
#include "system_paths.h"
#include "uninstall_entry.h"

namespace ondrel::installer {
namespace {

// The system's own words for an error code, without the closing line end.
std::string ErrorText(DWORD error) {
  LocalMemory<char> buffer;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(buffer.Receive()), 0, nullptr);
  std::string text = length > 0 && buffer ? std::string(buffer.get(), length) : std::string();
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
    text.pop_back();
  }
  if (text.empty()) text = "error " + std::to_string(error);
  return text;
}

// True when folder exists as a folder, made now or before.
bool MakeFolder(const std::string& folder, DWORD& error) {
  if (CreateDirectoryA(folder.c_str(), nullptr)) return true;
  error = GetLastError();
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  return error == ERROR_ALREADY_EXISTS && attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

InstallInputs GatherInputs() {
  return {setup::ModulePath(), ProgramFilesFolder(), setup::SpecialFolderPath(CSIDL_PROGRAMS),
          setup::SpecialFolderPath(CSIDL_DESKTOPDIRECTORY)};
}

}  // namespace

InstallOutcome RunInstallation() {
  InstallOutcome outcome;
  const PlanResult planned = PlanInstallation(GatherInputs());
  if (!planned.plan) {
    outcome.refusal = planned.refusal;
    outcome.organiserInPlace = false;
    return outcome;
  }
  const InstallPlan& plan = *planned.plan;

  DWORD error = ERROR_SUCCESS;
  if (!MakeFolder(plan.installationFolder, error)) {
    // Nothing below could succeed without the folder, and an uninstall entry
    // for it would point at nothing: stop before anything is changed.
    outcome.refusal = "The folder " + ShownPath(plan.installationFolder) +
                      " could not be created: " + ErrorText(error);
    outcome.organiserInPlace = false;
    return outcome;
  }

  if (const long registered = RegisterUninstall(plan.installationFolder, plan.uninstallString);
      registered != ERROR_SUCCESS) {
    outcome.failures.push_back("The uninstall entry could not be written: " +
                               ErrorText(static_cast<DWORD>(registered)));
  }

  bool organiserCopied = false;
  for (const FileCopy& copy : plan.copies) {
    if (CopyFileA(copy.source.c_str(), copy.destination.c_str(), FALSE)) {
      if (copy.name == kOrganiserFile) organiserCopied = true;
    } else {
      outcome.failures.push_back(copy.name + " could not be copied to " +
                                 ShownPath(plan.installationFolder) + ": " +
                                 ErrorText(GetLastError()));
    }
  }
  outcome.organiserInPlace = organiserCopied;
  // Shortcuts to a program that is not there, or starting it, would only fail
  // later and out of sight.
  if (!organiserCopied) return outcome;

  // The shortcuts come after the copies: the shell link checks its target.
  const SavedShortcuts saved = CreateShortcuts(plan.installationFolder, plan.organiser,
                                               plan.programsShortcut, plan.desktopShortcut);
  if (!saved.programs) {
    outcome.failures.push_back("The shortcut in the Programs menu could not be made.");
  }
  if (!saved.desktop) outcome.failures.push_back("The shortcut on the desktop could not be made.");
  ShellExecuteA(nullptr, "open", plan.organiser.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return outcome;
}

}  // namespace ondrel::installer
