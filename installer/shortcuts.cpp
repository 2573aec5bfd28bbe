#include "shortcuts.h"

#include <shlobj.h>

namespace ondrel::installer {

ShortcutLink::ShortcutLink(const std::wstring& installationFolder, const std::wstring& target)
    : target_(target) {
  setUpResult_ = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  ReceiveInterface(link_));
  if (FAILED(setUpResult_)) return;
  IShellLinkW* const link = link_.get();
  // Stops at the first failure. SetPath answers S_FALSE for a target not
  // found yet: only a failure stops.
  if (FAILED(setUpResult_ = link->QueryInterface(IID_IPersistFile, ReceiveInterface(file_))) ||
      FAILED(setUpResult_ = link->SetPath(target.c_str())) ||
      FAILED(setUpResult_ = link->SetWorkingDirectory(installationFolder.c_str())) ||
      FAILED(setUpResult_ = link->SetDescription(L"Ondrel")) ||
      FAILED(setUpResult_ = link->SetShowCmd(SW_SHOWNORMAL))) {
    return;
  }
  setUpResult_ = S_OK;
}

DWORD ShortcutLink::SaveAt(const std::wstring& path, int iconIndex) const {
  if (FAILED(setUpResult_)) return static_cast<DWORD>(setUpResult_);
  if (const HRESULT result = link_.get()->SetIconLocation(target_.c_str(), iconIndex);
      FAILED(result)) {
    return static_cast<DWORD>(result);
  }
  const HRESULT saved = file_.get()->Save(path.c_str(), TRUE);
  return SUCCEEDED(saved) ? ERROR_SUCCESS : static_cast<DWORD>(saved);
}

}  // namespace ondrel::installer
