#include "uninstall_entry.h"

#include <windows.h>

#include <array>
#include <utility>

#include "installation_folder.h"
#include "message_text.h"
#include "registry_key.h"

namespace ondrel::installer {

using setup::RegistryKey;

namespace {

constexpr std::array<const char*, 3> kValueNames = {"DisplayName", "UninstallString", "Path"};

// Each value as it was before, nothing where it was missing.
using EarlierValues = std::array<std::optional<RegistryKey::RawValue>, kValueNames.size()>;

bool PutBack(const EarlierValues& earlier) {
  const RegistryKey key =
      RegistryKey::Open(HKEY_LOCAL_MACHINE, setup::kUninstallKeyPath, KEY_SET_VALUE);
  if (!key) return false;
  bool all = true;
  for (std::size_t i = 0; i < kValueNames.size(); ++i) {
    const LONG error = earlier[i] ? key.WriteRawValue(kValueNames[i], *earlier[i])
                                  : key.DeleteValue(kValueNames[i]);
    all = all && error == ERROR_SUCCESS;
  }
  return all;
}

std::string NotWritten(LONG error) {
  return "The uninstall entry could not be written: " +
         setup::SystemErrorText(static_cast<DWORD>(error));
}

}  // namespace

StepFailure RegisterUninstall(const std::string& installationFolder,
                              const std::string& uninstallString, ChangeJournal& journal) {
  LONG error = ERROR_SUCCESS;
  bool created = false;
  const RegistryKey key = RegistryKey::Create(HKEY_LOCAL_MACHINE, setup::kUninstallKeyPath,
                                              KEY_READ | KEY_WRITE, error, &created);
  if (!key) return NotWritten(error);

  if (created) {
    journal.Record("The new uninstall entry could not be removed.", [] {
      return RegDeleteKeyA(HKEY_LOCAL_MACHINE, setup::kUninstallKeyPath) == ERROR_SUCCESS;
    });
  } else {
    EarlierValues earlier;
    for (std::size_t i = 0; i < kValueNames.size(); ++i) {
      earlier[i] = key.ReadRawValue(kValueNames[i], error);
      if (error != ERROR_SUCCESS) {
        return "The earlier uninstall entry could not be read: " +
               setup::SystemErrorText(static_cast<DWORD>(error));
      }
    }
    journal.Record("The earlier uninstall entry could not be put back as it was.",
                   [earlier = std::move(earlier)] { return PutBack(earlier); });
  }

  const std::array<std::string, kValueNames.size()> values = {"Ondrel", uninstallString,
                                                              installationFolder};
  for (std::size_t i = 0; i < kValueNames.size(); ++i) {
    if (const LONG written = key.WriteString(kValueNames[i], values[i]); written != ERROR_SUCCESS) {
      return NotWritten(written);
    }
  }
  return std::nullopt;
}

}  // namespace ondrel::installer
