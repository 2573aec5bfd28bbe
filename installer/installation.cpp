#include "installation.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "change_journal.h"
#include "install_plan.h"
#include "message_text.h"
#include "organiser/win32/kernel_handle.h"
#include "shortcuts.h"
#include "system_folders.h"
#include "system_paths.h"
#include "uninstall_entry.h"

namespace ondrel::installer {

using setup::ShownPath;
using setup::SystemErrorText;

namespace {

InstallInputs GatherInputs() {
  return {setup::ModulePath(), ProgramFilesFolder(), setup::SpecialFolderPath(CSIDL_PROGRAMS),
          setup::SpecialFolderPath(CSIDL_DESKTOPDIRECTORY)};
}

// A sentence naming each shipped file that cannot be opened for reading
// beside the installer; nothing when all can.
std::optional<std::string> UnreadableSources(const InstallPlan& plan) {
  std::string unreadable;
  for (const FileCopy& copy : plan.copies) {
    const FileHandle file(CreateFileA(copy.source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) unreadable += "\n" + copy.name + ": " + SystemErrorText(GetLastError());
  }
  if (unreadable.empty()) return std::nullopt;
  const std::string folder = setup::FolderOf(plan.copies.front().source).value_or(std::string());
  return "These files could not be read beside the installer in\n" + ShownPath(folder) + ":" +
         unreadable;
}

// The installer's own files must not arrive read-only (as from a CD): the
// uninstaller could not delete them.
DWORD CopyShippedFile(const std::string& source, const std::string& destination) {
  if (!CopyFileA(source.c_str(), destination.c_str(), TRUE)) return GetLastError();
  const DWORD attributes = GetFileAttributesA(destination.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    SetFileAttributesA(destination.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  }
  return ERROR_SUCCESS;
}

// Every change of the installation, recorded in journal; the first failure.
StepFailure MakeChanges(const InstallPlan& plan, ChangeJournal& journal) {
  if (StepFailure failure = journal.MakeFolder(plan.installationFolder)) return failure;
  for (const FileCopy& copy : plan.copies) {
    if (StepFailure failure = journal.ReplaceFile(
            copy.destination,
            copy.name + " could not be copied to " + ShownPath(plan.installationFolder),
            [&copy](const std::string& path) { return CopyShippedFile(copy.source, path); })) {
      return failure;
    }
  }
  if (StepFailure failure =
          RegisterUninstall(plan.installationFolder, plan.uninstallString, journal)) {
    return failure;
  }

  // The shortcuts come after the copies: the shell link looks at its target.
  const ShortcutLink link(plan.installationFolder, plan.organiser);
  if (link.SetUpError() != ERROR_SUCCESS) {
    return "The shortcuts could not be made: " + SystemErrorText(link.SetUpError());
  }
  const struct {
    const std::string& path;
    int iconIndex;
    const char* where;
  } shortcuts[] = {{plan.programsShortcut, kProgramsIconIndex, "in the Programs menu"},
                   {plan.desktopShortcut, kDesktopIconIndex, "on the desktop"}};
  for (const auto& shortcut : shortcuts) {
    if (StepFailure failure = journal.ReplaceFile(
            shortcut.path,
            std::string("The shortcut ") + shortcut.where + " could not be made as\n" +
                ShownPath(shortcut.path),
            [&](const std::string& path) { return link.SaveAt(path, shortcut.iconIndex); })) {
      return failure;
    }
  }
  return std::nullopt;
}

}  // namespace

InstallOutcome RunInstallation() {
  InstallOutcome outcome;
  const PlanResult planned = PlanInstallation(GatherInputs());
  if (!planned.plan) {
    outcome.refusal = planned.refusal;
    return outcome;
  }
  const InstallPlan& plan = *planned.plan;
  if (std::optional<std::string> unreadable = UnreadableSources(plan)) {
    outcome.refusal = std::move(unreadable);
    return outcome;
  }

  ChangeJournal journal;
  if (StepFailure failure = MakeChanges(plan, journal)) {
    outcome.failure = std::move(failure);
    outcome.notUndone = journal.Undo();
    return outcome;
  }
  journal.Commit();

  SHELLEXECUTEINFOA start{};
  start.cbSize = sizeof(start);
  // The user is told here, not by the shell's own box.
  start.fMask = SEE_MASK_FLAG_NO_UI;
  start.lpVerb = "open";
  start.lpFile = plan.organiser.c_str();
  start.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExA(&start)) outcome.startFailure = SystemErrorText(GetLastError());
  return outcome;
}

}  // namespace ondrel::installer
