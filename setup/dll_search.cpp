#include "dll_search.h"

#include <windows.h>

namespace ondrel::setup {
namespace {

// LOAD_LIBRARY_SEARCH_SYSTEM32, named here because older SDK headers lack it.
constexpr DWORD kSearchSystemFolder = 0x00000800;

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

}  // namespace

DllSearch LimitDllSearchToSystemFolder() {
  // kernel32 is in every process already: asking for it loads nothing. The
  // function is looked up because systems before Windows 8 without update
  // KB2533623 do not have it, and a program importing it would not start.
  const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  const FARPROC found =
      kernel32 != nullptr ? GetProcAddress(kernel32, "SetDefaultDllDirectories") : nullptr;
  // Through the generic function pointer type, which any other may be cast
  // from and to.
  const auto setDefaultDllDirectories = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
      reinterpret_cast<void (*)()>(found));
  if (setDefaultDllDirectories != nullptr && setDefaultDllDirectories(kSearchSystemFolder)) {
    return DllSearch::kSystemFolderOnly;
  }
  // The program's own folder stays first in the search there; this at least
  // takes the current folder out of it.
  return SetDllDirectoryW(L"") ? DllSearch::kWithoutCurrentFolder : DllSearch::kUnchanged;
}

}  // namespace ondrel::setup
