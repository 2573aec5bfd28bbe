// Deletion of the uninstaller's own file, which can only go once it has ended.
#pragma once

#include <string>

namespace ondrel::uninstall {

// Starts a hidden command interpreter, working in the system folder, that
// deletes this program's file as soon as it is free and then removes
// installationFolder, which must be the folder the file lies in. Meant as
// the very last step before the program returns. True when the interpreter
// was started.
bool DeleteSelf(const std::wstring& installationFolder);

}  // namespace ondrel::uninstall
