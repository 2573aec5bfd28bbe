#pragma once
// Where the organiser finds "ondrel.lng" and "ondrel.db": the folder of its
// own executable, never the current directory.

#include "organiser/store/text.h"

namespace ondrel {

// path cut after its last backslash, the backslash kept; empty when path
// has no backslash.
Text FolderOfPath(TextView path);

// The folder of the running executable with a trailing backslash, however
// long its path; empty if the module name cannot be read.
Text ProgramFolder();

}  // namespace ondrel
