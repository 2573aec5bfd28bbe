// Loads "version.dll" by name, as the shell or COM would inside setup, and
// says through its exit code which copy came: kPlanted (it exports
// OndrelPlantedCopy), kSystemCopy (from the system folder), kOtherCopy, or
// kNotLoaded. With the argument "limited" it first makes setup's start-up
// call.
#include <windows.h>

#include <cstring>

#include "dll_search.h"
#include "dll_search_probe.h"

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "limited") == 0) {
    ondrel::setup::LimitDllSearchToSystemFolder();
  }
  const HMODULE loaded = LoadLibraryA("version.dll");
  if (loaded == nullptr) return kNotLoaded;
  if (GetProcAddress(loaded, "OndrelPlantedCopy") != nullptr) return kPlanted;

  char modulePath[MAX_PATH] = {};
  char systemFolder[MAX_PATH] = {};
  const DWORD pathLength = GetModuleFileNameA(loaded, modulePath, MAX_PATH);
  const UINT folderLength = GetSystemDirectoryA(systemFolder, MAX_PATH);
  if (pathLength == 0 || folderLength == 0 || pathLength <= folderLength) return kOtherCopy;
  // The system folder, then a backslash, then the name: nothing deeper.
  const bool inSystemFolder =
      CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, modulePath, static_cast<int>(folderLength),
                     systemFolder, static_cast<int>(folderLength)) == CSTR_EQUAL &&
      modulePath[folderLength] == '\\' && std::strchr(modulePath + folderLength + 1, '\\') == nullptr;
  return inSystemFolder ? kSystemCopy : kOtherCopy;
}
