// Path building for the installation, free of Win32 so it can be tested alone.
// Every function that makes a path checks it against the length the ANSI file
// functions accept: a path that would not fit is reported as missing, never cut
// into a different path.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ondrel::installer {

// Longest path, in characters, that the ANSI file functions take (MAX_PATH less
// the terminator).
inline constexpr std::size_t kMaxPathLength = 259;

// The installation folder's own name under the program-files folder.
inline constexpr std::string_view kInstallFolderName = "ondrel\\";

// Used when the program-files folder cannot be read from the registry.
inline constexpr std::string_view kFallbackProgramFiles = "c:\\program files\\";

// The shipped files, in the order they are copied.
inline constexpr std::array<std::string_view, 4> kShippedFiles = {"license.txt", "ondrel.lng",
                                                                  "uninstall.exe", "ondrel.exe"};

inline constexpr std::string_view kOrganiserFile = "ondrel.exe";
inline constexpr std::string_view kUninstallerFile = "uninstall.exe";
inline constexpr std::string_view kShortcutFile = "Ondrel.lnk";

// The folder of a module path, cut after its last backslash (the backslash
// kept). Nothing when the path holds no backslash.
std::optional<std::string> FolderOfModule(std::string_view modulePath);

// The folder with one trailing backslash: added when missing, never doubled.
std::string WithTrailingBackslash(std::string_view folder);

// The installation folder under a program-files folder: the folder, a backslash
// when missing, then "ondrel\". Nothing when the result would exceed maxLength.
std::optional<std::string> InstallationFolder(std::string_view programFiles,
                                              std::size_t maxLength = kMaxPathLength);

// folder + a backslash when missing + name. Nothing when the result would
// exceed maxLength or either part is empty.
std::optional<std::string> JoinPath(std::string_view folder, std::string_view name,
                                    std::size_t maxLength = kMaxPathLength);

// A command line that starts exactly the program at path: the path in double
// quotes when it holds a blank, so "C:\Program Files\..." cannot start
// C:\Program.exe; as it is otherwise.
std::string CommandLineForProgram(std::string_view path);

}  // namespace ondrel::installer
