// The uninstall entry that lets the user remove Ondrel again.
#pragma once

#include <string>

#include "change_journal.h"

namespace ondrel::installer {

// Creates or opens the uninstall key and writes "DisplayName", the
// "UninstallString" and "Path" (the installation folder with its trailing
// backslash). Records in journal how to take that back: a key made now is
// deleted, an earlier entry gets its earlier three values back.
StepFailure RegisterUninstall(const std::string& installationFolder,
                              const std::string& uninstallString, ChangeJournal& journal);

}  // namespace ondrel::installer
