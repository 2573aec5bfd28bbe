#include "install_plan.h"

#include <algorithm>

#include "installation_folder.h"
#include "message_text.h"
#include "wide_path.h"

namespace ondrel::installer {

using setup::JoinedPath;
using setup::kMaxPathLength;
using setup::ShownPath;

namespace {

std::wstring TooLong(const std::wstring& path) {
  return L"The path\n" + ShownPath(path) + L"\nwould be " + std::to_wstring(path.size()) +
         L" characters long; Windows allows at most " + std::to_wstring(kMaxPathLength) + L".";
}

}  // namespace

std::wstring ChooseProgramFilesFolder(const std::optional<std::wstring>& value) {
  // An empty or relative value would install relative to whatever the
  // current directory happens to be.
  if (!value || !setup::IsAbsoluteFolder(*value)) {
    return std::wstring(kFallbackProgramFiles);
  }
  return *value;
}

PlanResult PlanInstallation(const InstallInputs& inputs) {
  PlanResult result;
  std::optional<std::wstring> installerFolder;
  if (inputs.installerPath) installerFolder = setup::FolderOf(*inputs.installerPath);
  if (!installerFolder) {
    result.refusal = L"The installer could not find its own folder.";
    return result;
  }

  InstallPlan plan;
  plan.installationFolder =
      setup::WithTrailingBackslash(JoinedPath(inputs.programFiles, setup::kInstallFolderName));
  if (!setup::IsInstallationFolder(plan.installationFolder)) {
    result.refusal = L"The folder\n" + plan.installationFolder + L"\nis no folder to install into.";
    return result;
  }

  std::vector<std::wstring> paths;  // every path, to be checked at once
  for (const std::wstring_view name : kShippedFiles) {
    FileCopy copy{std::wstring(name), JoinedPath(*installerFolder, name),
                  JoinedPath(plan.installationFolder, name)};
    paths.push_back(copy.source);
    paths.push_back(copy.destination);
    plan.copies.push_back(std::move(copy));
  }
  plan.organiser = JoinedPath(plan.installationFolder, kOrganiserFile);
  const std::wstring uninstaller = JoinedPath(plan.installationFolder, kUninstallerFile);
  plan.uninstallString = CommandLineForProgram(uninstaller);
  // Both shortcuts or no installation: a missing one would only show later.
  if (!inputs.programsFolder || !inputs.desktopFolder) {
    result.refusal = std::wstring(L"The ") + (inputs.programsFolder ? L"desktop" : L"Programs menu") +
                     L" folder, where a shortcut to Ondrel belongs, could not be found.";
    return result;
  }
  plan.programsShortcut = JoinedPath(*inputs.programsFolder, kShortcutFile);
  plan.desktopShortcut = JoinedPath(*inputs.desktopFolder, kShortcutFile);
  paths.push_back(plan.programsShortcut);
  paths.push_back(plan.desktopShortcut);

  // The longest path is named: it is the one to shorten.
  const std::wstring& longest = *std::max_element(
      paths.begin(), paths.end(),
      [](const std::wstring& a, const std::wstring& b) { return a.size() < b.size(); });
  if (longest.size() > kMaxPathLength) {
    result.refusal = TooLong(longest);
    return result;
  }
  result.plan = std::move(plan);
  return result;
}

std::wstring CommandLineForProgram(std::wstring_view path) {
  if (path.find(L' ') == std::wstring_view::npos) return std::wstring(path);
  std::wstring quoted;
  quoted.reserve(path.size() + 2);
  quoted.push_back(L'"');
  quoted.append(path);
  quoted.push_back(L'"');
  return quoted;
}

}  // namespace ondrel::installer
