// The uninstall entry that lets the user remove Ondrel again.
#pragma once

#include <string>

namespace ondrel::installer {

// Creates or opens the uninstall key and writes "DisplayName", the
// "UninstallString" and "Path" (the installation folder with its trailing
// backslash). Returns the system's error code of the first step that failed,
// ERROR_SUCCESS (0) when all three values were written.
long RegisterUninstall(const std::string& installationFolder, const std::string& uninstallString);

}  // namespace ondrel::installer
