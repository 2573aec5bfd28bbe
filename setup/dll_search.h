// Where the setup programs let Windows look for DLLs.
#pragma once

namespace ondrel::setup {

// How DLL loading was limited.
enum class DllSearch {
  kSystemFolderOnly,      // every DLL loaded by name comes from the system folder
  kWithoutCurrentFolder,  // older systems: the current folder is no longer searched
  kUnchanged,             // neither call worked
};

// Keeps every DLL that the program, the shell or COM loads by name out of
// the program's own folder and the current folder: setup is started from
// wherever it was downloaded, and a DLL of a system name saved beside it
// would otherwise run inside setup with its rights. The first call of both
// setup programs, before any window, registry, shell or COM call.
DllSearch LimitDllSearchToSystemFolder();

}  // namespace ondrel::setup
