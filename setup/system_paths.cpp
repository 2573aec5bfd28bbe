#include "system_paths.h"

#include <windows.h>
#include <shlobj.h>

#include "ansi_path.h"

namespace ondrel::setup {
namespace {

// Owns a shell item identifier list; the shell allocates them with the task
// allocator.
class ItemIdList {
 public:
  ItemIdList() = default;
  ItemIdList(const ItemIdList&) = delete;
  ItemIdList& operator=(const ItemIdList&) = delete;
  ~ItemIdList() { CoTaskMemFree(list_); }

  bool Load(int folderId) {
    return SUCCEEDED(SHGetSpecialFolderLocation(nullptr, folderId, &list_)) && list_;
  }
  LPITEMIDLIST get() const { return list_; }

 private:
  LPITEMIDLIST list_ = nullptr;
};

}  // namespace

std::optional<std::string> ModulePath() {
  char path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH + 1);
  // A full buffer means the name was cut: no path rather than a wrong one.
  if (length == 0 || length > kMaxPathLength) return std::nullopt;
  return std::string(path, length);
}

std::optional<std::string> SpecialFolderPath(int folderId) {
  ItemIdList list;
  if (!list.Load(folderId)) return std::nullopt;
  char path[MAX_PATH] = {};
  if (!SHGetPathFromIDListA(list.get(), path)) return std::nullopt;
  return std::string(path);
}

}  // namespace ondrel::setup
