// The uninstall entry that the installer registered.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace ondrel::uninstall {

struct UninstallEntry {
  // ERROR_SUCCESS when the key was opened for all access (reading, writing
  // and deleting); ERROR_FILE_NOT_FOUND when there is no entry.
  LONG openError = ERROR_SUCCESS;
  // The "Path" value: the installation folder as registered. Nothing when the
  // value is missing, unreadable, no text or longer than 1023 characters.
  std::optional<std::wstring> path;
};

UninstallEntry ReadUninstallEntry();

// Deletes the uninstall key "Ondrel" with all its values. Returns the system's
// error code, ERROR_SUCCESS when it is gone.
LONG RemoveUninstallEntry();

}  // namespace ondrel::uninstall
