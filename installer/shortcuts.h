// The shell link behind both shortcuts to the installed organiser.
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include <string>

#include "com_ptr.h"

namespace ondrel::installer {

inline constexpr int kProgramsIconIndex = 0;
inline constexpr int kDesktopIconIndex = 9;

// A link to target with installationFolder as working folder and the
// description "Ondrel", saved once per shortcut. Lives on one thread.
class ShortcutLink {
 public:
  ShortcutLink(const std::wstring& installationFolder, const std::wstring& target);
  ShortcutLink(const ShortcutLink&) = delete;
  ShortcutLink& operator=(const ShortcutLink&) = delete;

  // ERROR_SUCCESS (0) when the link could be set up, else why not (an HRESULT).
  DWORD SetUpError() const { return static_cast<DWORD>(setUpResult_); }

  // Saves the link as the file at path with the given icon index. Returns the
  // system's error code (an HRESULT on failure), ERROR_SUCCESS when saved.
  DWORD SaveAt(const std::wstring& path, int iconIndex) const;

 private:
  const ComApartment apartment_;  // declared first: outlives the interfaces below
  ComPtr<IShellLinkW> link_;
  ComPtr<IPersistFile> file_;
  std::wstring target_;
  HRESULT setUpResult_ = S_OK;
};

}  // namespace ondrel::installer
