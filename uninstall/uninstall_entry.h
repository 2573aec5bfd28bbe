// The uninstall entry that the installer registered.
#pragma once

#include <string>

namespace ondrel::uninstall {

// The entry's "Path" value: the installation folder as registered. Empty when
// the key or the value is missing, unreadable, no text or longer than 1023
// characters.
std::string ReadInstallationFolder();

// Deletes the uninstall key "Ondrel" with its values, when it can.
void RemoveUninstallEntry();

}  // namespace ondrel::uninstall
