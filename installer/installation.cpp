#include "installation.h"

#include <windows.h>
#include <shellapi.h>

#include "install_paths.h"
#include "shortcuts.h"
#include "system_folders.h"
#include "uninstall_entry.h"

namespace ondrel::installer {
namespace {

// Copies each shipped file from sourceFolder over its namesake in
// installationFolder; a file whose path would be too long is skipped.
void CopyShippedFiles(const std::optional<std::string>& sourceFolder,
                      const std::string& installationFolder) {
  if (!sourceFolder) return;
  for (const std::string_view name : kShippedFiles) {
    const std::optional<std::string> source = JoinPath(*sourceFolder, name);
    const std::optional<std::string> destination = JoinPath(installationFolder, name);
    if (source && destination) CopyFileA(source->c_str(), destination->c_str(), FALSE);
  }
}

}  // namespace

void RunInstallation() {
  std::optional<std::string> installerFolder;
  if (const std::optional<std::string> installer = InstallerPath()) {
    installerFolder = FolderOfModule(*installer);
  }
  const std::optional<std::string> installationFolder = InstallationFolder(ProgramFilesFolder());
  if (!installationFolder) return;

  CreateDirectoryA(installationFolder->c_str(), nullptr);
  RegisterUninstall(*installationFolder);
  CopyShippedFiles(installerFolder, *installationFolder);

  const std::optional<std::string> organiser = JoinPath(*installationFolder, kOrganiserFile);
  if (!organiser) return;
  // The shortcuts come after the copies: the shell link checks its target.
  CreateShortcuts(*installationFolder, *organiser);
  ShellExecuteA(nullptr, "open", organiser->c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace ondrel::installer
