// Removal of the installer's shortcuts.
#pragma once

namespace ondrel::uninstall {

// Deletes the file `name` from a shell folder (a CSIDL value). A missing
// folder, a missing file or a path that would be too long is no error.
void DeleteShortcut(const wchar_t* name, int folderId);

}  // namespace ondrel::uninstall
