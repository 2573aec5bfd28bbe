#include "uninstall_entry.h"

#include <windows.h>

#include "installation_folder.h"
#include "registry_key.h"

namespace ondrel::installer {

long RegisterUninstall(const std::string& installationFolder, const std::string& uninstallString) {
  LONG error = ERROR_SUCCESS;
  const setup::RegistryKey key = setup::RegistryKey::Create(
      HKEY_LOCAL_MACHINE, setup::kUninstallKeyPath, KEY_WRITE, error);
  if (!key) return error;
  // Every value is tried; the first failure is the one reported.
  for (const LONG written : {key.WriteString("DisplayName", "Ondrel"),
                             key.WriteString("UninstallString", uninstallString),
                             key.WriteString("Path", installationFolder)}) {
    if (error == ERROR_SUCCESS) error = written;
  }
  return error;
}

}  // namespace ondrel::installer
