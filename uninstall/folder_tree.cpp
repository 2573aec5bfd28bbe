#include "folder_tree.h"

#include <windows.h>

#include <cstring>
#include <optional>

#include "ansi_path.h"
#include "organiser/win32/kernel_handle.h"

namespace ondrel::uninstall {

using setup::IsSameFolder;
using setup::JoinPath;
using setup::JoinedPath;
using setup::WithoutTrailingBackslash;

namespace {

bool IsDotEntry(const char* name) {
  return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// The path the system resolves path to, without following a link at its end
// where the system can. Nothing when it cannot be opened or told.
std::optional<std::string> FinalPath(const std::string& path) {
  const FileHandle opened(CreateFileA(
      path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!opened) return std::nullopt;
  char finalPath[1024] = {};
  const DWORD length = GetFinalPathNameByHandleA(opened.get(), finalPath, sizeof finalPath,
                                                 FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (length == 0 || length >= sizeof finalPath) return std::nullopt;
  return std::string(finalPath, length);
}

void DeleteTree(const std::string& folder, const std::string& folderFinalPath);

// Deletes one entry of a folder whose resolved path is folderFinalPath.
void DeleteEntry(const std::string& path, const WIN32_FIND_DATAA& entry,
                 const std::string& folderFinalPath) {
  // An entry that resolves anywhere but to itself is a link that the system
  // follows (as Wine does with host symbolic links): deleting it would delete
  // what it points to, so it is left alone.
  const std::optional<std::string> finalPath = FinalPath(path);
  if (!finalPath || !IsSameFolder(*finalPath, JoinedPath(folderFinalPath, entry.cFileName))) return;

  const bool isDirectory = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if ((entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    // A junction or symbolic link: remove the link itself, never enter it.
    if (isDirectory) {
      RemoveDirectoryA(path.c_str());
    } else {
      DeleteFileA(path.c_str());
    }
  } else if (isDirectory) {
    DeleteTree(path, *finalPath);
  } else {
    DeleteFileA(path.c_str());
  }
}

void DeleteTree(const std::string& folder, const std::string& folderFinalPath) {
  if (const std::optional<std::string> pattern = JoinPath(folder, "*.*")) {
    WIN32_FIND_DATAA entry{};
    const FindHandle find(FindFirstFileA(pattern->c_str(), &entry));
    if (find) {
      do {
        if (IsDotEntry(entry.cFileName)) continue;
        if (const std::optional<std::string> path = JoinPath(folder, entry.cFileName)) {
          DeleteEntry(*path, entry, folderFinalPath);
        }
      } while (FindNextFileA(find.get(), &entry));
    }
  }
  RemoveDirectoryA(folder.c_str());
}

}  // namespace

void DeleteFolderTree(const std::string& folder) {
  const std::string root = WithoutTrailingBackslash(folder);
  const DWORD attributes = GetFileAttributesA(root.c_str());
  // The folder itself must be a real folder: a link in its place is not entered.
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return;
  }
  const std::optional<std::string> rootFinalPath = FinalPath(root);
  if (!rootFinalPath) return;
  DeleteTree(root, WithoutTrailingBackslash(*rootFinalPath));
}

}  // namespace ondrel::uninstall
