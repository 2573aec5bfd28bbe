// What Agree does: installs Ondrel and starts it.
#pragma once

#include "install_report.h"

namespace ondrel::installer {

// Checks every path first and does nothing when one cannot be used. Then
// creates the installation folder under the program-files folder (stopping
// there when it cannot), registers the uninstall entry, copies the shipped
// files from the installer's own folder and, when "ondrel.exe" is in place,
// makes the two shortcuts and starts the installed organiser. Returns what
// failed, for the user to be told.
InstallOutcome RunInstallation();

}  // namespace ondrel::installer
