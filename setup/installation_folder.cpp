#include "installation_folder.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace ondrel::setup {
namespace {

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Characters that make a component a pattern, a stream, a device path or
// simply invalid. None of them can be the second byte of a double-byte
// character (those start at 0x40), so a byte test finds them.
bool HoldsForbiddenCharacter(std::string_view component) {
  return std::any_of(component.begin(), component.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 || std::string_view("*?:/\"<>|").find(c) !=
                                                       std::string_view::npos;
  });
}

// "." and ".." climb; Windows also drops trailing dots, so "..." is no name.
bool IsOnlyDots(std::string_view component) {
  return std::all_of(component.begin(), component.end(), [](char c) { return c == '.'; });
}

bool IsValidComponent(std::string_view component) {
  return !component.empty() && !IsOnlyDots(component) && !HoldsForbiddenCharacter(component);
}

// The components below the root ("X:\" or "\\server\share\") of an absolute
// folder, without the empty one a trailing backslash leaves. Nothing when the
// folder is not absolute or a component is not valid.
std::optional<std::vector<std::string_view>> ComponentsBelowRoot(std::string_view folder,
                                                                 CodePage codePage) {
  if (!IsWholeText(folder, codePage)) return std::nullopt;
  const std::vector<std::string_view> parts = SplitAtBackslashes(folder, codePage);

  std::size_t rootParts = 0;
  if (parts.size() >= 2 && parts[0].size() == 2 && IsAsciiLetter(parts[0][0]) &&
      parts[0][1] == ':') {
    rootParts = 1;  // "X:", then the components
  } else if (parts.size() >= 4 && parts[0].empty() && parts[1].empty() &&
             IsValidComponent(parts[2]) && IsValidComponent(parts[3])) {
    rootParts = 4;  // "", "", server, share, then the components
  } else {
    return std::nullopt;
  }
  std::vector<std::string_view> below(parts.begin() + static_cast<std::ptrdiff_t>(rootParts),
                                      parts.end());
  if (!below.empty() && below.back().empty()) below.pop_back();  // the trailing backslash
  if (!std::all_of(below.begin(), below.end(), IsValidComponent)) return std::nullopt;
  return below;
}

}  // namespace

bool IsAbsoluteFolder(std::string_view folder, CodePage codePage) {
  return ComponentsBelowRoot(folder, codePage).has_value();
}

bool IsInstallationFolder(std::string_view folder, CodePage codePage) {
  const std::optional<std::vector<std::string_view>> below = ComponentsBelowRoot(folder, codePage);
  return below && !below->empty() &&
         EqualsIgnoringAsciiCase(below->back(), kInstallFolderName, codePage);
}

}  // namespace ondrel::setup
