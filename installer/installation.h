// What Agree does: installs Ondrel and starts it.
#pragma once

namespace ondrel::installer {

// Creates the installation folder under the program-files folder, registers
// the uninstall entry, copies the shipped files from the installer's own
// folder, makes the two shortcuts and starts the installed organiser. Each
// step runs whatever the earlier ones achieved; nothing is reported. When the
// installation folder's path would be too long, nothing is done at all.
void RunInstallation();

}  // namespace ondrel::installer
