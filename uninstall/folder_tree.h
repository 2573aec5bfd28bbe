// Deletion of a folder with everything in it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ondrel::uninstall {

// Deletes every file and subfolder of folder, then folder itself; a file
// called keepName directly in folder (when given) is kept, and with it the
// folder. A junction
// or symbolic link inside is removed as a link and never entered; an entry
// that the system resolves to somewhere else (a link it follows) is left
// alone, so nothing outside the folder is ever deleted. A folder that is
// itself a link is not touched. Paths too long for the file functions are
// skipped, and files that cannot be deleted (read-only, in use) stay with
// the folders that hold them. Nothing is reported.
void DeleteFolderTree(const std::wstring& folder, std::wstring_view keepName = {});

// The names of the entries left in folder, keepName (when given) aside; none
// when the folder is gone. A folder that exists but cannot be listed counts
// as not empty.
std::vector<std::wstring> RemainingEntries(const std::wstring& folder,
                                           std::wstring_view keepName = {});

}  // namespace ondrel::uninstall
