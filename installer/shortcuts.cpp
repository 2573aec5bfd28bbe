#include "shortcuts.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "com_ptr.h"

namespace ondrel::installer {
namespace {

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

// Saves the link at path; false when there is no path or the save fails.
bool SaveAt(IPersistFile* file, const std::optional<std::string>& path) {
  if (!path) return false;
  const std::wstring wide = WidePath(*path);
  return !wide.empty() && SUCCEEDED(file->Save(wide.c_str(), TRUE));
}

}  // namespace

SavedShortcuts CreateShortcuts(const std::string& installationFolder, const std::string& target,
                               const std::optional<std::string>& programsPath,
                               const std::optional<std::string>& desktopPath) {
  SavedShortcuts saved;
  const ComApartment apartment;  // declared first: outlives the interfaces below
  ComPtr<IShellLinkA> shellLink;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              ReceiveInterface(shellLink)))) {
    return saved;
  }
  IShellLinkA* const link = shellLink.get();
  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, ReceiveInterface(file)))) return saved;
  // SetPath answers S_FALSE for a target not found yet: only a failure stops.
  if (FAILED(link->SetPath(target.c_str())) ||
      FAILED(link->SetWorkingDirectory(installationFolder.c_str())) ||
      FAILED(link->SetIconLocation(target.c_str(), kProgramsIconIndex)) ||
      FAILED(link->SetDescription("Ondrel")) || FAILED(link->SetShowCmd(SW_SHOWNORMAL))) {
    return saved;
  }
  saved.programs = SaveAt(file.get(), programsPath);
  if (FAILED(link->SetIconLocation(target.c_str(), kDesktopIconIndex))) return saved;
  saved.desktop = SaveAt(file.get(), desktopPath);
  return saved;
}

}  // namespace ondrel::installer
