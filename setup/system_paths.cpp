#include "system_paths.h"

#include <windows.h>
#include <shlobj.h>

#include "ansi_path.h"
#include "organiser/win32/unique_handle.h"

namespace ondrel::setup {
namespace {

// A shell item identifier list; the shell allocates them with the task
// allocator.
struct ItemIdListTraits {
  using Handle = LPITEMIDLIST;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle list) { CoTaskMemFree(list); }
};
using ItemIdList = UniqueHandle<ItemIdListTraits>;

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
  if (FAILED(SHGetSpecialFolderLocation(nullptr, folderId, list.Receive())) || !list) {
    return std::nullopt;
  }
  char path[MAX_PATH] = {};
  if (!SHGetPathFromIDListA(list.get(), path)) return std::nullopt;
  return std::string(path);
}

}  // namespace ondrel::setup
