// Every path the installation builds, worked out and checked before anything
// is changed: an installation that cannot be completed is not begun.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ansi_path.h"

namespace ondrel::installer {

// Used when the program-files folder cannot be read from the registry or is
// no absolute folder.
inline constexpr std::string_view kFallbackProgramFiles = "c:\\program files\\";

// The shipped files, in the order they are copied.
inline constexpr std::array<std::string_view, 4> kShippedFiles = {"license.txt", "ondrel.lng",
                                                                  "uninstall.exe", "ondrel.exe"};
inline constexpr std::string_view kOrganiserFile = "ondrel.exe";
inline constexpr std::string_view kUninstallerFile = "uninstall.exe";
inline constexpr std::string_view kShortcutFile = "Ondrel.lnk";

// The program-files folder to install under: value (already expanded) when it
// is an absolute folder, else "c:\program files\".
std::string ChooseProgramFilesFolder(const std::optional<std::string>& value,
                                     setup::CodePage codePage = setup::kSystemCodePage);

struct FileCopy {
  std::string name;
  std::string source;       // beside the installer
  std::string destination;  // in the installation folder
};

struct InstallPlan {
  std::string installationFolder;  // with its trailing backslash
  std::vector<FileCopy> copies;    // in the order of kShippedFiles
  std::string organiser;           // the installed ondrel.exe
  std::string uninstallString;     // the installed uninstall.exe as a command line
  std::string programsShortcut;
  std::string desktopShortcut;
};

// What the installation needs to know about the system.
struct InstallInputs {
  std::optional<std::string> installerPath;  // nothing when it could not be read
  std::string programFiles;                  // from ChooseProgramFilesFolder
  std::optional<std::string> programsFolder;
  std::optional<std::string> desktopFolder;
};

// The plan, or why nothing can be installed (a sentence for the user).
struct PlanResult {
  std::optional<InstallPlan> plan;
  std::string refusal;
};

// Builds every path of the installation. Refuses when the installer's folder
// or a shortcut's folder is unknown, when the installation folder is not one
// the uninstaller would remove, or when any path (a copy's source or
// destination, a shortcut) would be longer than the ANSI file functions take.
PlanResult PlanInstallation(const InstallInputs& inputs,
                            setup::CodePage codePage = setup::kSystemCodePage);

// A command line that starts exactly the program at path: the path in double
// quotes when it holds a blank, so "C:\Program Files\..." cannot start
// C:\Program.exe; as it is otherwise.
std::string CommandLineForProgram(std::string_view path);

}  // namespace ondrel::installer
