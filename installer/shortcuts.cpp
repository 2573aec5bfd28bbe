#include "shortcuts.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "com_ptr.h"
#include "install_paths.h"
#include "system_folders.h"

namespace ondrel::installer {
namespace {

// Longest shortcut path, in characters, that is saved.
constexpr std::size_t kMaxShortcutPathLength = 309;

constexpr int kProgramsIconIndex = 0;
constexpr int kDesktopIconIndex = 9;

// The path in UTF-16 from the system code page; empty when it cannot be converted.
std::wstring WidePath(const std::string& path) {
  const int units = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  if (units <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), units) != units) return {};
  wide.resize(static_cast<std::size_t>(units) - 1);
  return wide;
}

// Saves the link as "Ondrel.lnk" in a shell folder; the outcome is not reported.
void SaveInFolder(IPersistFile* file, int folderId) {
  const std::optional<std::string> folder = SpecialFolderPath(folderId);
  if (!folder) return;
  const std::optional<std::string> path = JoinPath(*folder, kShortcutFile, kMaxShortcutPathLength);
  if (!path) return;
  const std::wstring wide = WidePath(*path);
  if (wide.empty()) return;
  file->Save(wide.c_str(), TRUE);
}

}  // namespace

void CreateShortcuts(const std::string& installationFolder, const std::string& target) {
  const ComApartment apartment;  // declared first: outlives the interfaces below
  ComPtr<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              link.Receive()))) {
    return;
  }
  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.Receive()))) return;
  // SetPath answers S_FALSE for a target not found yet: only a failure stops.
  if (FAILED(link->SetPath(target.c_str())) ||
      FAILED(link->SetWorkingDirectory(installationFolder.c_str())) ||
      FAILED(link->SetIconLocation(target.c_str(), kProgramsIconIndex)) ||
      FAILED(link->SetDescription("Ondrel")) || FAILED(link->SetShowCmd(SW_SHOWNORMAL))) {
    return;
  }
  SaveInFolder(file.get(), CSIDL_PROGRAMS);
  if (FAILED(link->SetIconLocation(target.c_str(), kDesktopIconIndex))) return;
  SaveInFolder(file.get(), CSIDL_DESKTOPDIRECTORY);
}

}  // namespace ondrel::installer
