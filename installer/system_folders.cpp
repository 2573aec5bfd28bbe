#include "system_folders.h"

#include <windows.h>
#include <shlobj.h>

#include "com_ptr.h"
#include "install_paths.h"
#include "registry_key.h"

namespace ondrel::installer {

using setup::RegistryKey;
namespace {

// Room given to the registry read of "ProgramFilesDir".
constexpr DWORD kProgramFilesValueBytes = 4096;

// Frees a shell item identifier list with the shell's allocator.
class ItemIdList {
 public:
  ItemIdList() = default;
  ItemIdList(const ItemIdList&) = delete;
  ItemIdList& operator=(const ItemIdList&) = delete;
  ~ItemIdList() {
    if (list_ && allocator_) allocator_->Free(list_);
  }

  bool Load(int folderId) {
    if (FAILED(SHGetMalloc(reinterpret_cast<IMalloc**>(allocator_.Receive())))) return false;
    return SUCCEEDED(SHGetSpecialFolderLocation(nullptr, folderId, &list_)) && list_;
  }
  LPITEMIDLIST get() const { return list_; }

 private:
  ComPtr<IMalloc> allocator_;
  LPITEMIDLIST list_ = nullptr;
};

}  // namespace

std::optional<std::string> InstallerPath() {
  char path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH + 1);
  // A full buffer means the name was cut: no path rather than a wrong one.
  if (length == 0 || length > kMaxPathLength) return std::nullopt;
  return std::string(path, length);
}

std::string ProgramFilesFolder() {
  const RegistryKey key = RegistryKey::Open(
      HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", KEY_ALL_ACCESS);
  std::optional<std::string> value = key.ReadString("ProgramFilesDir", kProgramFilesValueBytes);
  // An empty value would put the installation at the root of the current drive.
  if (!value || value->empty()) return std::string(kFallbackProgramFiles);
  return *value;
}

std::optional<std::string> SpecialFolderPath(int folderId) {
  ItemIdList list;
  if (!list.Load(folderId)) return std::nullopt;
  char path[MAX_PATH] = {};
  if (!SHGetPathFromIDListA(list.get(), path)) return std::nullopt;
  return std::string(path);
}

}  // namespace ondrel::installer
