#include "uninstall_entry.h"

#include <windows.h>

#include "install_paths.h"
#include "registry_key.h"

namespace ondrel::installer {

using setup::RegistryKey;

void RegisterUninstall(const std::string& installationFolder) {
  const std::optional<std::string> uninstaller = JoinPath(installationFolder, kUninstallerFile);
  if (!uninstaller) return;
  const RegistryKey key = RegistryKey::Create(HKEY_LOCAL_MACHINE, kUninstallKeyPath, KEY_WRITE);
  if (!key) return;
  key.WriteString("DisplayName", "Ondrel");
  key.WriteString("UninstallString", CommandLineForProgram(*uninstaller));
  key.WriteString("Path", WithTrailingBackslash(installationFolder));
}

}  // namespace ondrel::installer
