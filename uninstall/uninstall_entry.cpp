#include "uninstall_entry.h"

#include <windows.h>

#include "installer/registry_key.h"

namespace ondrel::uninstall {

using setup::RegistryKey;
namespace {

constexpr const char* kUninstallParent = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr const char* kUninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ondrel";

// Room for the "Path" value, terminator included.
constexpr DWORD kPathValueBytes = 1024;

}  // namespace

std::string ReadInstallationFolder() {
  const RegistryKey key = RegistryKey::Open(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_ALL_ACCESS);
  return key.ReadString("Path", kPathValueBytes).value_or(std::string());
}

void RemoveUninstallEntry() {
  const RegistryKey parent =
      RegistryKey::Open(HKEY_LOCAL_MACHINE, kUninstallParent, KEY_ALL_ACCESS);
  if (parent) RegDeleteKeyA(parent.get(), "Ondrel");
}

}  // namespace ondrel::uninstall
