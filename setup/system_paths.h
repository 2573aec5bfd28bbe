// Where a setup program finds itself, the system folder and the user's shell
// folders, all as wide paths.
#pragma once

#include <optional>
#include <string>

namespace ondrel::setup {

// Full path of the running program. Nothing when it cannot be read or is
// longer than the file functions accept.
std::optional<std::wstring> ModulePath();

// File-system path of a shell folder (a CSIDL value). Nothing when the shell
// cannot give one.
std::optional<std::wstring> SpecialFolderPath(int folderId);

// The system folder ("C:\Windows\System32"); nothing when it cannot be had.
std::optional<std::wstring> SystemFolder();

}  // namespace ondrel::setup
