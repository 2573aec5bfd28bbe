// Deletion of a folder with everything in it.
#pragma once

#include <string>

namespace ondrel::uninstall {

// Deletes every file and subfolder of folder, then folder itself. A junction
// or symbolic link inside is removed as a link and never entered; an entry
// that the system resolves to somewhere else (a link it follows) is left
// alone, so nothing outside the folder is ever deleted. A folder that is
// itself a link is not touched. Paths too long for the ANSI file functions
// are skipped, and files that cannot be deleted (read-only, in use) stay with
// the folders that hold them. Nothing is reported.
void DeleteFolderTree(const std::string& folder);

}  // namespace ondrel::uninstall
