#include "installation_folder.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "wide_path.h"

namespace ondrel::setup {
namespace {

bool IsAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// Characters that make a component a pattern, a stream, a device path or
// simply invalid. Look-alikes ("＼", "＂", "∕") are ordinary letters here:
// the path never passes through a code page that would turn them into these.
bool HoldsForbiddenCharacter(std::wstring_view component) {
  return std::any_of(component.begin(), component.end(), [](wchar_t c) {
    return c < 0x20 || std::wstring_view(L"*?:/\"<>|").find(c) != std::wstring_view::npos;
  });
}

// "." and ".." climb; Windows also drops trailing dots, so "..." is no name.
bool IsOnlyDots(std::wstring_view component) {
  return std::all_of(component.begin(), component.end(), [](wchar_t c) { return c == L'.'; });
}

bool IsValidComponent(std::wstring_view component) {
  return !component.empty() && !IsOnlyDots(component) && !HoldsForbiddenCharacter(component);
}

// The components below the root ("X:\" or "\\server\share\") of an absolute
// folder, without the empty one a trailing backslash leaves. Nothing when the
// folder is not absolute or a component is not valid.
std::optional<std::vector<std::wstring_view>> ComponentsBelowRoot(std::wstring_view folder) {
  if (!IsWholeText(folder)) return std::nullopt;
  const std::vector<std::wstring_view> parts = SplitAtBackslashes(folder);

  std::size_t rootParts = 0;
  if (parts.size() >= 2 && parts[0].size() == 2 && IsAsciiLetter(parts[0][0]) &&
      parts[0][1] == L':') {
    rootParts = 1;  // "X:", then the components
  } else if (parts.size() >= 4 && parts[0].empty() && parts[1].empty() &&
             IsValidComponent(parts[2]) && IsValidComponent(parts[3])) {
    rootParts = 4;  // "", "", server, share, then the components
  } else {
    return std::nullopt;
  }
  std::vector<std::wstring_view> below(parts.begin() + static_cast<std::ptrdiff_t>(rootParts),
                                       parts.end());
  if (!below.empty() && below.back().empty()) below.pop_back();  // the trailing backslash
  if (!std::all_of(below.begin(), below.end(), IsValidComponent)) return std::nullopt;
  return below;
}

}  // namespace

bool IsAbsoluteFolder(std::wstring_view folder) { return ComponentsBelowRoot(folder).has_value(); }

bool IsInstallationFolder(std::wstring_view folder) {
  const std::optional<std::vector<std::wstring_view>> below = ComponentsBelowRoot(folder);
  return below && !below->empty() && EqualsIgnoringCase(below->back(), kInstallFolderName);
}

}  // namespace ondrel::setup
