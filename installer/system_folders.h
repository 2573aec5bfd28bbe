// Where the installer installs to.
#pragma once

#include <string>

namespace ondrel::installer {

// The program-files folder from "ProgramFilesDir" (expanded when it is a
// REG_EXPAND_SZ value), or "c:\program files\" when that value cannot be read,
// is no text or names no absolute folder.
std::wstring ProgramFilesFolder();

}  // namespace ondrel::installer
