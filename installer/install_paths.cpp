#include "install_paths.h"

namespace ondrel::installer {

std::optional<std::string> FolderOfModule(std::string_view modulePath) {
  const std::size_t lastBackslash = modulePath.rfind('\\');
  if (lastBackslash == std::string_view::npos) return std::nullopt;
  return std::string(modulePath.substr(0, lastBackslash + 1));
}

std::string WithTrailingBackslash(std::string_view folder) {
  std::string result(folder);
  if (result.empty() || result.back() != '\\') result.push_back('\\');
  return result;
}

std::optional<std::string> InstallationFolder(std::string_view programFiles,
                                              std::size_t maxLength) {
  if (programFiles.empty()) return std::nullopt;
  std::string folder = WithTrailingBackslash(programFiles);
  folder.append(kInstallFolderName);
  if (folder.size() > maxLength) return std::nullopt;
  return folder;
}

std::optional<std::string> JoinPath(std::string_view folder, std::string_view name,
                                    std::size_t maxLength) {
  if (folder.empty() || name.empty()) return std::nullopt;
  std::string path = WithTrailingBackslash(folder);
  path.append(name);
  if (path.size() > maxLength) return std::nullopt;
  return path;
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
