#include "uninstall_entry.h"

#include <windows.h>

#include "installation_folder.h"
#include "registry_key.h"

namespace ondrel::uninstall {

using setup::RegistryKey;
namespace {

// Room for the "Path" value, terminator included.
constexpr DWORD kPathValueBytes = 1024;

}  // namespace

std::string ReadInstallationFolder() {
  const RegistryKey key =
      RegistryKey::Open(HKEY_LOCAL_MACHINE, setup::kUninstallKeyPath, KEY_ALL_ACCESS);
  return key.ReadString("Path", kPathValueBytes).value_or(std::string());
}

void RemoveUninstallEntry() {
  const RegistryKey parent =
      RegistryKey::Open(HKEY_LOCAL_MACHINE, setup::kUninstallParentKeyPath, KEY_ALL_ACCESS);
  if (parent) RegDeleteKeyA(parent.get(), setup::kUninstallKeyName);
}

}  // namespace ondrel::uninstall
