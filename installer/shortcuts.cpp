#include "shortcuts.h"

#include <shlobj.h>

namespace ondrel::installer {
namespace {

// The path in UTF-16 from the system code page; empty when it cannot be converted.
std::wstring WidePath(const std::string& path) {
  const int units = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  if (units <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), units) != units) return {};
  wide.resize(static_cast<std::size_t>(units) - 1);
  return wide;
}

}  // namespace

ShortcutLink::ShortcutLink(const std::string& installationFolder, const std::string& target)
    : target_(target) {
  setUpResult_ = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  ReceiveInterface(link_));
  if (FAILED(setUpResult_)) return;
  IShellLinkA* const link = link_.get();
  // Stops at the first failure. SetPath answers S_FALSE for a target not
  // found yet: only a failure stops.
  if (FAILED(setUpResult_ = link->QueryInterface(IID_IPersistFile, ReceiveInterface(file_))) ||
      FAILED(setUpResult_ = link->SetPath(target.c_str())) ||
      FAILED(setUpResult_ = link->SetWorkingDirectory(installationFolder.c_str())) ||
      FAILED(setUpResult_ = link->SetDescription("Ondrel")) ||
      FAILED(setUpResult_ = link->SetShowCmd(SW_SHOWNORMAL))) {
    return;
  }
  setUpResult_ = S_OK;
}

DWORD ShortcutLink::SaveAt(const std::string& path, int iconIndex) const {
  if (FAILED(setUpResult_)) return static_cast<DWORD>(setUpResult_);
  if (const HRESULT result = link_.get()->SetIconLocation(target_.c_str(), iconIndex);
      FAILED(result)) {
    return static_cast<DWORD>(result);
  }
  const std::wstring wide = WidePath(path);
  if (wide.empty()) return ERROR_NO_UNICODE_TRANSLATION;
  const HRESULT saved = file_.get()->Save(wide.c_str(), TRUE);
  return SUCCEEDED(saved) ? ERROR_SUCCESS : static_cast<DWORD>(saved);
}

}  // namespace ondrel::installer
