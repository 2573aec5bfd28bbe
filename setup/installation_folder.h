// The installation's names and registry key, and the test that decides which
// folder may be installed into and deleted again as an installation.
#pragma once

#include <string_view>

namespace ondrel::setup {

// The installation folder's own name under the program-files folder.
inline constexpr std::wstring_view kInstallFolderName = L"ondrel";

inline constexpr const wchar_t* kUninstallParentKeyPath =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr const wchar_t* kUninstallKeyName = L"Ondrel";
inline constexpr const wchar_t* kUninstallKeyPath =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ondrel";

// True for a fully qualified folder: "X:\" or "\\server\share\" followed by
// components that are not empty, not "." or ".." (nor any other run of dots)
// and hold no wildcard, colon, slash, quote, "<", ">", "|" or control code,
// nor half a surrogate pair.
bool IsAbsoluteFolder(std::wstring_view folder);

// True when folder is an absolute folder (as above) whose last component, below
// a drive root or a share, is "ondrel" in any letter case, with or without a
// trailing backslash. Only such a folder is installed into and ever deleted: an
// empty value, a drive or share root, a relative path, one that climbs out with
// ".." or another program's folder is not.
bool IsInstallationFolder(std::wstring_view folder);

}  // namespace ondrel::setup
