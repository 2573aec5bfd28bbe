#include "shortcut_removal.h"

#include <windows.h>

#include <optional>
#include <string>

#include "ansi_path.h"
#include "system_paths.h"

namespace ondrel::uninstall {

void DeleteShortcut(const char* name, int folderId) {
  const std::optional<std::string> folder = setup::SpecialFolderPath(folderId);
  if (!folder) return;
  if (const std::optional<std::string> path = setup::JoinPath(*folder, name)) {
    DeleteFileA(path->c_str());
  }
}

}  // namespace ondrel::uninstall
