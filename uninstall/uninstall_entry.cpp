#include "uninstall_entry.h"

#include "installation_folder.h"
#include "registry_key.h"

namespace ondrel::uninstall {

using setup::RegistryKey;
namespace {

// Room for the "Path" value in UTF-16 code units, terminator included.
constexpr DWORD kPathValueUnits = 1024;

}  // namespace

UninstallEntry ReadUninstallEntry() {
  UninstallEntry entry;
  const RegistryKey key = RegistryKey::Open(HKEY_LOCAL_MACHINE, setup::kUninstallKeyPath,
                                            KEY_ALL_ACCESS, entry.openError);
  if (key) entry.path = key.ReadString(L"Path", kPathValueUnits);
  return entry;
}

LONG RemoveUninstallEntry() {
  LONG error = ERROR_SUCCESS;
  const RegistryKey parent =
      RegistryKey::Open(HKEY_LOCAL_MACHINE, setup::kUninstallParentKeyPath, KEY_ALL_ACCESS, error);
  if (!parent) return error;
  // The key holds values only, no subkeys: it goes with every one of them.
  return RegDeleteKeyW(parent.get(), setup::kUninstallKeyName);
}

}  // namespace ondrel::uninstall
