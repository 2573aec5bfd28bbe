#include "system_paths.h"

#include <windows.h>
#include <shlobj.h>

#include "organiser/win32/unique_handle.h"
#include "wide_path.h"

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

std::optional<std::wstring> ModulePath() {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
  // A full buffer means the name was cut: no path rather than a wrong one.
  if (length == 0 || length > kMaxPathLength) return std::nullopt;
  return std::wstring(path, length);
}

std::optional<std::wstring> SpecialFolderPath(int folderId) {
  ItemIdList list;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, folderId, list.Receive())) || !list) {
    return std::nullopt;
  }
  wchar_t path[MAX_PATH] = {};
  if (!SHGetPathFromIDListW(list.get(), path)) return std::nullopt;
  return std::wstring(path);
}

std::optional<std::wstring> SystemFolder() {
  wchar_t path[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::nullopt;
  return std::wstring(path, length);
}

}  // namespace ondrel::setup
