// The command that deletes the uninstaller's own file, free of Win32 so it can
// be tested alone.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ondrel::uninstall {

// Parameters for the command interpreter that deletes the uninstaller's own
// file once it is free: "/d /v:off /c del "<file>" > nul", a wait-and-retry
// while the file is still there, and "& rmdir "<folder>"" when a folder is
// given. Every name is quoted, whatever it holds: a blank the interpreter
// splits at need not be an ASCII blank. /d keeps the user's AutoRun command
// from running with the uninstaller's rights, and /v:off keeps "!" literal.
// Nothing when a name holds a character that no quoting protects (% ") or
// that would make it a pattern (* ?) or a control code. The interpreter gets
// the parameters in UTF-16, so any other letter is just a letter, look-alikes
// of these ("％", "＂") included.
std::optional<std::wstring> SelfDeleteParameters(std::wstring_view shortFile,
                                                 std::optional<std::wstring_view> shortFolder);

}  // namespace ondrel::uninstall
