#include "uninstall_entry.h"

#include "installation_folder.h"
#include "registry_key.h"

namespace ondrel::uninstall {

using setup::RegistryKey;
namespace {

// Room for the "Path" value, terminator included.
constexpr DWORD kPathValueBytes = 1024;

}  // namespace

UninstallEntry ReadUninstallEntry() {
  UninstallEntry entry;
  const RegistryKey key = RegistryKey::Open(HKEY_LOCAL_MACHINE, setup::kUninstallKeyPath,
                                            KEY_ALL_ACCESS, entry.openError);
  if (key) entry.path = key.ReadString("Path", kPathValueBytes);
  return entry;
}

LONG RemoveUninstallEntry() {
  LONG error = ERROR_SUCCESS;
  const RegistryKey parent =
      RegistryKey::Open(HKEY_LOCAL_MACHINE, setup::kUninstallParentKeyPath, KEY_ALL_ACCESS, error);
  if (!parent) return error;
  return RegDeleteKeyA(parent.get(), setup::kUninstallKeyName);
}

}  // namespace ondrel::uninstall
