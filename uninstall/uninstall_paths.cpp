#include "uninstall_paths.h"

#include <algorithm>

namespace ondrel::uninstall {
namespace {

constexpr std::string_view kInstallFolderName = "ondrel";

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view first, std::string_view second) {
  return first.size() == second.size() &&
         std::equal(first.begin(), first.end(), second.begin(),
                    [](char a, char b) { return LowerAscii(a) == LowerAscii(b); });
}

bool IsDriveAbsolute(std::string_view path) {
  return path.size() >= 3 &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
         path[1] == ':' && path[2] == '\\';
}

bool IsUncPath(std::string_view path) {
  return path.size() > 2 && path[0] == '\\' && path[1] == '\\';
}

// Characters that make cmd.exe split or redirect a command unless quoted.
bool NeedsQuotes(std::string_view name) {
  return name.find_first_of(" &()[]{}^=;!'+,<>|") != std::string_view::npos;
}

// Characters that no quoting protects from cmd.exe.
bool IsUnsafeForInterpreter(std::string_view name) {
  return name.empty() || std::any_of(name.begin(), name.end(), [](char c) {
           return c == '%' || c == '"' || static_cast<unsigned char>(c) < 0x20;
         });
}

std::string QuotedWhenNeeded(std::string_view name) {
  if (!NeedsQuotes(name)) return std::string(name);
  return "\"" + std::string(name) + "\"";
}

}  // namespace

bool IsInstallationFolder(std::string_view folder) {
  if (!IsDriveAbsolute(folder) && !IsUncPath(folder)) return false;
  if (folder.find_first_of("*?/") != std::string_view::npos) return false;
  if (folder.back() == '\\') folder.remove_suffix(1);
  const std::size_t lastBackslash = folder.rfind('\\');
  if (lastBackslash == std::string_view::npos) return false;
  return EqualsIgnoringCase(folder.substr(lastBackslash + 1), kInstallFolderName);
}

std::string WithoutTrailingBackslash(std::string_view folder) {
  if (folder.size() > 1 && folder.back() == '\\' && !(folder.size() == 3 && folder[1] == ':')) {
    folder.remove_suffix(1);
  }
  return std::string(folder);
}

std::optional<std::string> JoinPath(std::string_view folder, std::string_view name,
                                    std::size_t maxLength) {
  if (folder.empty() || name.empty()) return std::nullopt;
  std::string path(folder);
  if (path.back() != '\\') path.push_back('\\');
  path.append(name);
  if (path.size() > maxLength) return std::nullopt;
  return path;
}

std::optional<std::string> FolderOfFile(std::string_view path) {
  const std::size_t lastBackslash = path.rfind('\\');
  if (lastBackslash == std::string_view::npos) return std::nullopt;
  return WithoutTrailingBackslash(path.substr(0, lastBackslash + 1));
}

bool IsSameFolder(std::string_view first, std::string_view second) {
  return EqualsIgnoringCase(WithoutTrailingBackslash(first), WithoutTrailingBackslash(second));
}

std::optional<std::string> SelfDeleteParameters(std::string_view shortFile,
                                                std::optional<std::string_view> shortFolder) {
  if (IsUnsafeForInterpreter(shortFile)) return std::nullopt;
  if (shortFolder && IsUnsafeForInterpreter(*shortFolder)) return std::nullopt;
  const std::string file = QuotedWhenNeeded(shortFile);
  std::string parameters = "/c del " + file + " > nul";
  // The uninstaller may not have ended yet when the interpreter runs (process
  // priorities order nothing on some systems): while the file is still there,
  // wait a second and try again, for at most about half a minute.
  // Every block is bracketed: Wine's interpreter runs nothing of a loop body
  // of the form "do if exist x (...)".
  parameters += " & (for /l %i in (1,1,30) do (if exist " + file +
                " (ping -n 2 127.0.0.1 > nul & del " + file + " > nul)))";
  if (shortFolder) parameters += " & rmdir " + QuotedWhenNeeded(*shortFolder);
  return parameters;
}

}  // namespace ondrel::uninstall
