// The installation's names and registry key, and the test that decides which
// folder may be installed into and deleted again as an installation.
#pragma once

#include <string_view>

#include "ansi_path.h"

namespace ondrel::setup {

// The installation folder's own name under the program-files folder.
inline constexpr std::string_view kInstallFolderName = "ondrel";

inline constexpr const char* kUninstallParentKeyPath =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr const char* kUninstallKeyName = "Ondrel";
inline constexpr const char* kUninstallKeyPath =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ondrel";

// True for a fully qualified folder: "X:\" or "\\server\share\" followed by
// components that are not empty, not "." or ".." (nor any other run of dots)
// and hold no wildcard, colon, slash, quote, "<", ">", "|" or control code.
bool IsAbsoluteFolder(std::string_view folder, CodePage codePage = kSystemCodePage);

// True when folder is an absolute folder (as above) whose last component, below
// a drive root or a share, is "ondrel" in any letter case, with or without a
// trailing backslash. Only such a folder is installed into and ever deleted: an
// empty value, a drive or share root, a relative path, one that climbs out with
// ".." or another program's folder is not.
bool IsInstallationFolder(std::string_view folder, CodePage codePage = kSystemCodePage);

}  // namespace ondrel::setup
