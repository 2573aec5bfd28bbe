// The uninstall entry that lets the user remove Ondrel again.
#pragma once

#include <string>

namespace ondrel::installer {

inline constexpr const char* kUninstallKeyPath =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ondrel";

// Creates or opens the uninstall key and writes "DisplayName", the quoted
// "UninstallString" and "Path" (the folder with its trailing backslash) for
// installationFolder. Writes nothing when the key cannot be opened or the
// uninstaller's path would be too long.
void RegisterUninstall(const std::string& installationFolder);

}  // namespace ondrel::installer
