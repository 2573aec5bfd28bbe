// Where a setup program finds itself and the user's shell folders.
#pragma once

#include <optional>
#include <string>

namespace ondrel::setup {

// Full path of the running program. Nothing when it cannot be read or is
// longer than the ANSI file functions accept.
std::optional<std::string> ModulePath();

// File-system path of a shell folder (a CSIDL value). Nothing when the shell
// cannot give one.
std::optional<std::string> SpecialFolderPath(int folderId);

}  // namespace ondrel::setup
