#include "shortcut_removal.h"

#include <windows.h>

#include <optional>
#include <string>

#include "system_paths.h"
#include "wide_path.h"

namespace ondrel::uninstall {

void DeleteShortcut(const wchar_t* name, int folderId) {
  const std::optional<std::wstring> folder = setup::SpecialFolderPath(folderId);
  if (!folder) return;
  if (const std::optional<std::wstring> path = setup::JoinPath(*folder, name)) {
    DeleteFileW(path->c_str());
  }
}

}  // namespace ondrel::uninstall
