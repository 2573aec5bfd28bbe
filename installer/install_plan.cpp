#include "install_plan.h"

#include <algorithm>

#include "installation_folder.h"
#include "message_text.h"

namespace ondrel::installer {

using setup::CodePage;
using setup::JoinedPath;
using setup::kMaxPathLength;
using setup::ShownPath;

namespace {

std::string TooLong(const std::string& path) {
  return "The path\n" + ShownPath(path) + "\nwould be " + std::to_string(path.size()) +
         " characters long; Windows allows at most " + std::to_string(kMaxPathLength) + ".";
}

}  // namespace

std::string ChooseProgramFilesFolder(const std::optional<std::string>& value, CodePage codePage) {
  // An empty or relative value would install relative to whatever the
  // current directory happens to be.
  if (!value || !setup::IsAbsoluteFolder(*value, codePage)) {
    return std::string(kFallbackProgramFiles);
  }
  return *value;
}

PlanResult PlanInstallation(const InstallInputs& inputs, CodePage codePage) {
  PlanResult result;
  std::optional<std::string> installerFolder;
  if (inputs.installerPath) installerFolder = setup::FolderOf(*inputs.installerPath, codePage);
  if (!installerFolder) {
    result.refusal = "The installer could not find its own folder.";
    return result;
  }

  InstallPlan plan;
  plan.installationFolder = setup::WithTrailingBackslash(
      JoinedPath(inputs.programFiles, setup::kInstallFolderName, codePage), codePage);
  if (!setup::IsInstallationFolder(plan.installationFolder, codePage)) {
    result.refusal = "The folder\n" + plan.installationFolder + "\nis no folder to install into.";
    return result;
  }

  std::vector<std::string> paths;  // every path, to be checked at once
  for (const std::string_view name : kShippedFiles) {
    FileCopy copy{std::string(name), JoinedPath(*installerFolder, name, codePage),
                  JoinedPath(plan.installationFolder, name, codePage)};
    paths.push_back(copy.source);
    paths.push_back(copy.destination);
    plan.copies.push_back(std::move(copy));
  }
  plan.organiser = JoinedPath(plan.installationFolder, kOrganiserFile, codePage);
  const std::string uninstaller = JoinedPath(plan.installationFolder, kUninstallerFile, codePage);
  plan.uninstallString = CommandLineForProgram(uninstaller);
  // Both shortcuts or no installation: a missing one would only show later.
  if (!inputs.programsFolder || !inputs.desktopFolder) {
    result.refusal = std::string("The ") + (inputs.programsFolder ? "desktop" : "Programs menu") +
                     " folder, where a shortcut to Ondrel belongs, could not be found.";
    return result;
  }
  plan.programsShortcut = JoinedPath(*inputs.programsFolder, kShortcutFile, codePage);
  plan.desktopShortcut = JoinedPath(*inputs.desktopFolder, kShortcutFile, codePage);
  paths.push_back(plan.programsShortcut);
  paths.push_back(plan.desktopShortcut);

  // The longest path is named: it is the one to shorten.
  const std::string& longest = *std::max_element(
      paths.begin(), paths.end(),
      [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
  if (longest.size() > kMaxPathLength) {
    result.refusal = TooLong(longest);
    return result;
  }
  result.plan = std::move(plan);
  return result;
}

std::string CommandLineForProgram(std::string_view path) {
  if (path.find(' ') == std::string_view::npos) return std::string(path);
  std::string quoted;
  quoted.reserve(path.size() + 2);
  quoted.push_back('"');
  quoted.append(path);
  quoted.push_back('"');
  return quoted;
}

}  // namespace ondrel::installer
