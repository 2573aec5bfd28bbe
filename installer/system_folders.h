// Where the installer finds itself and where it installs to.
#pragma once

#include <optional>
#include <string>

namespace ondrel::installer {

// Full path of the running installer. Nothing when it cannot be read or is
// longer than the ANSI file functions accept.
std::optional<std::string> InstallerPath();

// The program-files folder from "ProgramFilesDir", or "c:\program files\" when
// that value cannot be read or is no text.
std::string ProgramFilesFolder();

// File-system path of a shell folder (a CSIDL value). Nothing when the shell
// cannot give one.
std::optional<std::string> SpecialFolderPath(int folderId);

}  // namespace ondrel::installer
