// Deletion of a folder with everything in it.
#pragma once

#include <string>

namespace ondrel::uninstall {

// Deletes every file and subfolder of folder, then folder itself. A junction
// or symbolic link inside is removed as a link: what it points to is never
// entered. Paths too long for the ANSI file functions are left alone, and so
// are files that cannot be deleted (read-only, in use) with the folders that
// hold them. Nothing is reported.
void DeleteFolderTree(const std::string& folder);

}  // namespace ondrel::uninstall
