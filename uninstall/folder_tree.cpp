#include "folder_tree.h"

#include <windows.h>

#include <cstring>
#include <optional>
#include <utility>

#include "uninstall_paths.h"

namespace ondrel::uninstall {
namespace {

// Move-only owner of a directory enumeration.
class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  FindHandle(FindHandle&& other) noexcept
      : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
  FindHandle& operator=(FindHandle&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
    }
    return *this;
  }
  ~FindHandle() { Close(); }

  explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  void Close() {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(std::exchange(handle_, INVALID_HANDLE_VALUE));
  }

  HANDLE handle_;
};

void DeleteTree(const std::string& folder);

bool IsDotEntry(const char* name) { return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0; }

void DeleteEntry(const std::string& path, DWORD attributes) {
  const bool isDirectory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    // A junction or link: remove the link itself, never what it points to.
    if (isDirectory) {
      RemoveDirectoryA(path.c_str());
    } else {
      DeleteFileA(path.c_str());
    }
  } else if (isDirectory) {
    DeleteTree(path);
  } else {
    DeleteFileA(path.c_str());
  }
}

void DeleteTree(const std::string& folder) {
  if (const std::optional<std::string> pattern = JoinPath(folder, "*.*")) {
    WIN32_FIND_DATAA entry{};
    const FindHandle find(FindFirstFileA(pattern->c_str(), &entry));
    if (find) {
      do {
        if (IsDotEntry(entry.cFileName)) continue;
        if (const std::optional<std::string> path = JoinPath(folder, entry.cFileName)) {
          DeleteEntry(*path, entry.dwFileAttributes);
        }
      } while (FindNextFileA(find.get(), &entry));
    }
  }
  RemoveDirectoryA(folder.c_str());
}

}  // namespace

void DeleteFolderTree(const std::string& folder) {
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return;
  DeleteEntry(WithoutTrailingBackslash(folder), attributes);
}

}  // namespace ondrel::uninstall
