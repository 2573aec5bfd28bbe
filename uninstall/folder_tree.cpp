#include "folder_tree.h"

#include <windows.h>

#include <cwchar>
#include <iterator>
#include <optional>

#include "organiser/win32/kernel_handle.h"
#include "wide_path.h"

namespace ondrel::uninstall {

using setup::IsSameFolder;
using setup::JoinPath;
using setup::JoinedPath;
using setup::WithoutTrailingBackslash;

namespace {

bool IsDotEntry(const wchar_t* name) {
  return std::wcscmp(name, L".") == 0 || std::wcscmp(name, L"..") == 0;
}

// The path the system resolves path to, without following a link at its end
// where the system can. Nothing when it cannot be opened or told.
std::optional<std::wstring> FinalPath(const std::wstring& path) {
  const FileHandle opened(CreateFileW(
      path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!opened) return std::nullopt;
  wchar_t finalPath[1024] = {};
  const DWORD length = GetFinalPathNameByHandleW(opened.get(), finalPath, std::size(finalPath),
                                                 FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (length == 0 || length >= std::size(finalPath)) return std::nullopt;
  return std::wstring(finalPath, length);
}

void DeleteTree(const std::wstring& folder, const std::wstring& folderFinalPath,
                std::wstring_view keepName = {});

// Deletes one entry of a folder whose resolved path is folderFinalPath.
void DeleteEntry(const std::wstring& path, const WIN32_FIND_DATAW& entry,
                 const std::wstring& folderFinalPath) {
  // An entry that resolves anywhere but to itself is a link that the system
  // follows (as Wine does with host symbolic links): deleting it would delete
  // what it points to, so it is left alone.
  const std::optional<std::wstring> finalPath = FinalPath(path);
  if (!finalPath || !IsSameFolder(*finalPath, JoinedPath(folderFinalPath, entry.cFileName))) return;

  const bool isDirectory = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if ((entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    // A junction or symbolic link: remove the link itself, never enter it.
    if (isDirectory) {
      RemoveDirectoryW(path.c_str());
    } else {
      DeleteFileW(path.c_str());
    }
  } else if (isDirectory) {
    DeleteTree(path, *finalPath);
  } else {
    DeleteFileW(path.c_str());
  }
}

bool IsKept(const WIN32_FIND_DATAW& entry, std::wstring_view keepName) {
  return !keepName.empty() && (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
         setup::EqualsIgnoringCase(entry.cFileName, keepName);
}

// Calls visit(entry) for each entry of folder but "." and "..". False when
// an existing folder could not be listed.
template <typename Visit>
bool ForEachEntry(const std::wstring& folder, Visit visit) {
  const std::optional<std::wstring> pattern = JoinPath(folder, L"*.*");
  if (!pattern) return false;
  WIN32_FIND_DATAW entry{};
  const FindHandle find(FindFirstFileW(pattern->c_str(), &entry));
  if (!find) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  }
  do {
    if (!IsDotEntry(entry.cFileName)) visit(entry);
  } while (FindNextFileW(find.get(), &entry));
  return true;
}

void DeleteTree(const std::wstring& folder, const std::wstring& folderFinalPath,
                std::wstring_view keepName) {
  ForEachEntry(folder, [&](const WIN32_FIND_DATAW& entry) {
    if (IsKept(entry, keepName)) return;
    if (const std::optional<std::wstring> path = JoinPath(folder, entry.cFileName)) {
      DeleteEntry(*path, entry, folderFinalPath);
    }
  });
  RemoveDirectoryW(folder.c_str());
}

}  // namespace

void DeleteFolderTree(const std::wstring& folder, std::wstring_view keepName) {
  const std::wstring root = WithoutTrailingBackslash(folder);
  const DWORD attributes = GetFileAttributesW(root.c_str());
  // The folder itself must be a real folder: a link in its place is not entered.
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return;
  }
  const std::optional<std::wstring> rootFinalPath = FinalPath(root);
  if (!rootFinalPath) return;
  DeleteTree(root, WithoutTrailingBackslash(*rootFinalPath), keepName);
}

std::vector<std::wstring> RemainingEntries(const std::wstring& folder,
                                           std::wstring_view keepName) {
  std::vector<std::wstring> names;
  const bool listed =
      ForEachEntry(WithoutTrailingBackslash(folder), [&](const WIN32_FIND_DATAW& entry) {
        if (!IsKept(entry, keepName)) names.emplace_back(entry.cFileName);
      });
  // A folder that cannot be listed may hold anything.
  if (!listed) names.emplace_back(L"(the folder's contents cannot be listed)");
  return names;
}

}  // namespace ondrel::uninstall
