// Path checks and command texts of the uninstaller, free of Win32 so they can
// be tested alone.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ondrel::uninstall {

// Longest path, in characters, that the ANSI file functions take (MAX_PATH less
// the terminator).
inline constexpr std::size_t kMaxPathLength = 259;

// True when folder is an absolute path ("X:\..." or "\\server\...") whose last
// component is "ondrel" (in any letter case), with or without a trailing
// backslash, and holds no wildcard. Only such a folder is ever deleted: an
// empty value, a drive root or another program's folder is not.
bool IsInstallationFolder(std::string_view folder);

// The folder without a trailing backslash (a drive root "C:\" keeps its own).
std::string WithoutTrailingBackslash(std::string_view folder);

// folder + a backslash when missing + name. Nothing when the result would
// exceed maxLength or either part is empty.
std::optional<std::string> JoinPath(std::string_view folder, std::string_view name,
                                    std::size_t maxLength = kMaxPathLength);

// The folder of a file path, without its trailing backslash. Nothing when the
// path holds no backslash.
std::optional<std::string> FolderOfFile(std::string_view path);

// True when both name the same folder: letter case and a trailing backslash
// do not matter.
bool IsSameFolder(std::string_view first, std::string_view second);

// Parameters for the command interpreter that deletes the uninstaller's own
// file once it is free: "/c del <file> > nul", a wait-and-retry while the file
// is still there, and "& rmdir <folder>" when a folder is given. Names with a
// blank or a shell character are quoted. Nothing when a name holds a character
// that the interpreter would expand or cannot quote (% " or a control code).
std::optional<std::string> SelfDeleteParameters(std::string_view shortFile,
                                                std::optional<std::string_view> shortFolder);

}  // namespace ondrel::uninstall
