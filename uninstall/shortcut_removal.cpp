#include "shortcut_removal.h"

#include <windows.h>
#include <shlobj.h>

#include <optional>
#include <string>

#include "uninstall_paths.h"

namespace ondrel::uninstall {
namespace {

// The file-system path of a shell folder, or nothing.
std::optional<std::string> SpecialFolderPath(int folderId) {
  LPITEMIDLIST list = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, folderId, &list)) || !list) return std::nullopt;
  char path[MAX_PATH] = {};
  const BOOL found = SHGetPathFromIDListA(list, path);
  CoTaskMemFree(list);  // the shell allocates identifier lists with the task allocator
  if (!found) return std::nullopt;
  return std::string(path);
}

}  // namespace

void DeleteShortcut(const char* name, int folderId) {
  const std::optional<std::string> folder = SpecialFolderPath(folderId);
  if (!folder) return;
  if (const std::optional<std::string> path = JoinPath(*folder, name)) DeleteFileA(path->c_str());
}

}  // namespace ondrel::uninstall
