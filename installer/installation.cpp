#include "installation.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "change_journal.h"
#include "install_plan.h"
#include "installation_folder.h"
#include "message_text.h"
#include "organiser/win32/kernel_handle.h"
#include "shortcuts.h"
#include "system_folders.h"
#include "system_paths.h"
#include "uninstall_entry.h"
#include "wide_path.h"

namespace ondrel::installer {

using setup::ShownPath;
using setup::SystemErrorText;

namespace {

InstallInputs GatherInputs() {
  return {setup::ModulePath(), ProgramFilesFolder(), setup::SpecialFolderPath(CSIDL_PROGRAMS),
          setup::SpecialFolderPath(CSIDL_DESKTOPDIRECTORY)};
}

// The shipped files beside the installer, each opened for reading: their
// size in all, or a sentence naming each one that cannot be read.
struct ShippedFiles {
  std::optional<std::wstring> unreadable;
  unsigned long long totalBytes = 0;
};

ShippedFiles CheckShippedFiles(const InstallPlan& plan) {
  ShippedFiles shipped;
  std::wstring unreadable;
  for (const FileCopy& copy : plan.copies) {
    const FileHandle file(CreateFileW(copy.source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size)) {
      unreadable += L"\n" + copy.name + L": " + SystemErrorText(GetLastError());
    } else {
      shipped.totalBytes += static_cast<unsigned long long>(size.QuadPart);
    }
  }
  if (!unreadable.empty()) {
    const std::wstring folder =
        setup::FolderOf(plan.copies.front().source).value_or(std::wstring());
    shipped.unreadable = L"These files could not be read beside the installer in\n" +
                         ShownPath(folder) + L":" + unreadable;
  }
  return shipped;
}

// The installer's own files must not arrive read-only (as from a CD): the
// uninstaller could not delete them.
DWORD CopyShippedFile(const std::wstring& source, const std::wstring& destination) {
  if (!CopyFileW(source.c_str(), destination.c_str(), TRUE)) return GetLastError();
  const DWORD attributes = GetFileAttributesW(destination.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    SetFileAttributesW(destination.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  }
  return ERROR_SUCCESS;
}

// Every change of the installation, recorded in journal; the first failure.
StepFailure MakeChanges(const InstallPlan& plan, unsigned long long installedBytes,
                        ChangeJournal& journal) {
  if (StepFailure failure = journal.MakeFolder(plan.installationFolder)) return failure;
  for (const FileCopy& copy : plan.copies) {
    if (StepFailure failure = journal.ReplaceFile(
            copy.destination,
            copy.name + L" could not be copied to " + ShownPath(plan.installationFolder),
            [&copy](const std::wstring& path) { return CopyShippedFile(copy.source, path); })) {
      return failure;
    }
  }
  if (StepFailure failure =
          RegisterUninstall(UninstallEntryValues(plan, installedBytes), journal,
                            {HKEY_LOCAL_MACHINE, setup::kUninstallKeyPath})) {
    return failure;
  }

  // The shortcuts come after the copies: the shell link looks at its target.
  const ShortcutLink link(plan.installationFolder, plan.organiser);
  if (link.SetUpError() != ERROR_SUCCESS) {
    return L"The shortcuts could not be made: " + SystemErrorText(link.SetUpError());
  }
  const struct {
    const std::wstring& path;
    int iconIndex;
    const wchar_t* where;
  } shortcuts[] = {{plan.programsShortcut, kProgramsIconIndex, L"in the Programs menu"},
                   {plan.desktopShortcut, kDesktopIconIndex, L"on the desktop"}};
  for (const auto& shortcut : shortcuts) {
    if (StepFailure failure = journal.ReplaceFile(
            shortcut.path,
            std::wstring(L"The shortcut ") + shortcut.where + L" could not be made as\n" +
                ShownPath(shortcut.path),
            [&](const std::wstring& path) { return link.SaveAt(path, shortcut.iconIndex); })) {
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
  ShippedFiles shipped = CheckShippedFiles(plan);
  if (shipped.unreadable) {
    outcome.refusal = std::move(shipped.unreadable);
    return outcome;
  }

  ChangeJournal journal;
  if (StepFailure failure = MakeChanges(plan, shipped.totalBytes, journal)) {
    outcome.failure = std::move(failure);
    outcome.notUndone = journal.Undo();
    return outcome;
  }
  journal.Commit();

  SHELLEXECUTEINFOW start{};
  start.cbSize = sizeof(start);
  // The user is told here, not by the shell's own box.
  start.fMask = SEE_MASK_FLAG_NO_UI;
  start.lpVerb = L"open";
  start.lpFile = plan.organiser.c_str();
  start.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExW(&start)) outcome.startFailure = SystemErrorText(GetLastError());
  return outcome;
}

}  // namespace ondrel::installer
