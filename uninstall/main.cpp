// The Ondrel uninstaller: removes the shortcuts, the installation folder, the
// uninstall entry and finally its own file. It asks nothing, but it removes
// nothing either unless the entry names an installation it may remove, and
// it waits until the organiser is closed.
#include <windows.h>
#include <shlobj.h>

#include <optional>
#include <string>

#include "dll_search.h"
#include "folder_tree.h"
#include "installation_folder.h"
#include "message_text.h"
#include "running_organiser.h"
#include "same_file.h"
#include "self_delete.h"
#include "shortcut_removal.h"
#include "system_paths.h"
#include "uninstall_entry.h"
#include "wide_path.h"

namespace {

using ondrel::setup::ShownPath;

constexpr int kRemoved = 0;
constexpr int kNotRemoved = 1;
constexpr const wchar_t* kUninstallerName = L"uninstall.exe";

// Leaves the installation folder as current directory: a folder that is some
// process's current directory cannot be removed.
void LeaveInstallationFolder() {
  if (const std::optional<std::wstring> systemFolder = ondrel::setup::SystemFolder()) {
    SetCurrentDirectoryW(systemFolder->c_str());
  }
}

int Refuse(const std::wstring& why) {
  ondrel::setup::ShowMessage(nullptr, why + L"\n\nNothing was removed.", MB_OK | MB_ICONERROR);
  return kNotRemoved;
}

// The installation folder the entry names, or why nothing may be removed.
struct Checked {
  std::optional<std::wstring> folder;
  std::wstring refusal;
};

Checked CheckEntry(const ondrel::uninstall::UninstallEntry& entry) {
  if (entry.openError == ERROR_FILE_NOT_FOUND) {
    return {std::nullopt, L"Ondrel is not installed: there is no uninstall entry for it."};
  }
  if (entry.openError != ERROR_SUCCESS) {
    return {std::nullopt, L"The uninstall entry of Ondrel could not be opened for changing: " +
                              ondrel::setup::SystemErrorText(static_cast<DWORD>(entry.openError))};
  }
  if (!entry.path || entry.path->empty()) {
    return {std::nullopt,
            L"The uninstall entry of Ondrel does not say where Ondrel is installed: its value "
            L"\"Path\" is missing or cannot be read."};
  }
  // Only an absolute folder named "ondrel" whose files the system can reach
  // is removed: a damaged or foreign "Path" (relative, a drive or share root,
  // one climbing with "..", the Windows folder) must never cost the user files.
  if (!ondrel::setup::IsInstallationFolder(*entry.path) ||
      !ondrel::setup::JoinPath(*entry.path, kUninstallerName)) {
    return {std::nullopt, L"The uninstall entry of Ondrel names the folder\n" +
                              ShownPath(*entry.path) + L"\nwhich is no Ondrel installation folder."};
  }
  return {entry.path, {}};
}

int Uninstall() {
  using namespace ondrel::uninstall;
  const Checked checked = CheckEntry(ReadUninstallEntry());
  if (!checked.folder) return Refuse(checked.refusal);
  const std::wstring& folder = *checked.folder;
  if (!ondrel::setup::OrganiserClosed(nullptr,
                                      L"Cancel ends the uninstallation and removes nothing.")) {
    return kNotRemoved;
  }

  // This program deletes its own file only when it is the installation's
  // uninstaller: a copy elsewhere (the one beside the installer) stays.
  const std::optional<std::wstring> ownFile = ondrel::setup::ModulePath();
  const bool ownFileInstalled =
      ownFile && NamesSameFile(*ownFile, ondrel::setup::JoinedPath(folder, kUninstallerName));
  const std::wstring_view keep = ownFileInstalled ? kUninstallerName : L"";

  DeleteShortcut(L"ondrel.lnk", CSIDL_DESKTOP);
  DeleteShortcut(L"ondrel.lnk", CSIDL_PROGRAMS);
  LeaveInstallationFolder();
  DeleteFolderTree(folder, keep);

  // Whatever could not be deleted keeps the entry, and with it the way to
  // run the uninstaller again.
  const std::vector<std::wstring> remaining = RemainingEntries(folder, keep);
  if (!remaining.empty()) {
    std::wstring names;
    for (std::size_t i = 0; i < remaining.size() && i < 10; ++i) names += L"\n" + remaining[i];
    if (remaining.size() > 10) names += L"\n...";
    ondrel::setup::ShowMessage(
        nullptr,
        L"Ondrel was not removed completely. These could not be deleted from\n" +
            ShownPath(folder) + L":" + names +
            L"\n\nThey may be in use or read-only. Close what uses them or make them writable, "
            L"then run the uninstaller again: its entry is kept for that.",
        MB_OK | MB_ICONERROR);
    return kNotRemoved;
  }
  if (const LONG error = RemoveUninstallEntry(); error != ERROR_SUCCESS) {
    ondrel::setup::ShowMessage(nullptr,
                               L"Ondrel was removed, but its uninstall entry could not be: " +
                                   ondrel::setup::SystemErrorText(static_cast<DWORD>(error)),
                               MB_OK | MB_ICONERROR);
    return kNotRemoved;
  }
  // Last: the interpreter must find the file free as early as possible.
  if (ownFileInstalled) DeleteSelf(folder);
  return kRemoved;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  ondrel::setup::LimitDllSearchToSystemFolder();
  try {
    return Uninstall();
  } catch (...) {
    return kNotRemoved;
  }
}
