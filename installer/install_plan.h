// Every path the installation builds, worked out and checked before anything
// is changed: an installation that cannot be completed is not begun.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>


namespace ondrel::installer {

// Used when the program-files folder cannot be read from the registry or is
// no absolute folder.
inline constexpr std::wstring_view kFallbackProgramFiles = L"c:\\program files\\";

// The shipped files, in the order they are copied.
inline constexpr std::array<std::wstring_view, 4> kShippedFiles = {
    L"license.txt", L"ondrel.lng", L"uninstall.exe", L"ondrel.exe"};
inline constexpr std::wstring_view kOrganiserFile = L"ondrel.exe";
inline constexpr std::wstring_view kUninstallerFile = L"uninstall.exe";
inline constexpr std::wstring_view kShortcutFile = L"Ondrel.lnk";

// The program-files folder to install under: value (already expanded) when it
// is an absolute folder, else "c:\program files\".
std::wstring ChooseProgramFilesFolder(const std::optional<std::wstring>& value);

struct FileCopy {
  std::wstring name;
  std::wstring source;       // beside the installer
  std::wstring destination;  // in the installation folder
};

struct InstallPlan {
  std::wstring installationFolder;  // with its trailing backslash
  std::vector<FileCopy> copies;     // in the order of kShippedFiles
  std::wstring organiser;           // the installed ondrel.exe
  std::wstring uninstallString;     // the installed uninstall.exe as a command line
  std::wstring programsShortcut;
  std::wstring desktopShortcut;
};

// What the installation needs to know about the system.
struct InstallInputs {
  std::optional<std::wstring> installerPath;  // nothing when it could not be read
  std::wstring programFiles;                  // from ChooseProgramFilesFolder
  std::optional<std::wstring> programsFolder;
  std::optional<std::wstring> desktopFolder;
};

// The plan, or why nothing can be installed (a sentence for the user).
struct PlanResult {
  std::optional<InstallPlan> plan;
  std::wstring refusal;
};

// Builds every path of the installation. Refuses when the installer's folder
// or a shortcut's folder is unknown, when the installation folder is not one
// the uninstaller would remove, or when any path (a copy's source or
// destination, a shortcut) would be longer than the file functions take.
PlanResult PlanInstallation(const InstallInputs& inputs);

// A command line that starts exactly the program at path: the path in double
// quotes when it holds a blank, so "C:\Program Files\..." cannot start
// C:\Program.exe; as it is otherwise.
std::wstring CommandLineForProgram(std::wstring_view path);

}  // namespace ondrel::installer
