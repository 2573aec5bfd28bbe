// The Ondrel uninstaller: removes the shortcuts, the uninstall entry, the
// installation folder and finally its own file. No window, no questions.
#include <windows.h>
#include <shlobj.h>

#include <optional>
#include <string>

#include "folder_tree.h"
#include "installation_folder.h"
#include "self_delete.h"
#include "shortcut_removal.h"
#include "uninstall_entry.h"

namespace {

// Leaves the installation folder as current directory: a folder that is some
// process's current directory cannot be removed.
void LeaveInstallationFolder() {
  char systemFolder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryA(systemFolder, MAX_PATH);
  if (length > 0 && length < MAX_PATH) SetCurrentDirectoryA(systemFolder);
}

int Uninstall() {
  using namespace ondrel::uninstall;
  DeleteShortcut("ondrel.lnk", CSIDL_DESKTOP);
  DeleteShortcut("ondrel.lnk", CSIDL_PROGRAMS);

  const std::string registered = ReadInstallationFolder();
  RemoveUninstallEntry();

  // Only an absolute folder named "ondrel" is deleted: a damaged or foreign
  // "Path" (empty, relative, a drive or share root, one climbing with "..",
  // the Windows folder) must never cost the user files.
  std::optional<std::string> installationFolder;
  if (ondrel::setup::IsInstallationFolder(registered)) installationFolder = registered;

  LeaveInstallationFolder();
  if (installationFolder) DeleteFolderTree(*installationFolder);
  // Last: the interpreter must find the file free as early as possible.
  DeleteSelf(installationFolder);
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  try {
    return Uninstall();
  } catch (...) {
    return 0;
  }
}
