// What Agree does: installs Ondrel whole, or not at all, and starts it.
#pragma once

#include "install_report.h"

namespace ondrel::installer {

// Checks every path and that every shipped file beside the installer can be
// read, and changes nothing when one cannot. Then creates the installation
// folder under the program-files folder, copies the shipped files from the
// installer's own folder, registers the uninstall entry and makes the two
// shortcuts; when a step fails, takes back everything done so far. Files
// that were there before are set aside, never overwritten, until all steps
// succeeded. Starts the installed organiser at the end. Returns what the user
// is to be told. The organiser must not be running.
InstallOutcome RunInstallation();

}  // namespace ondrel::installer
