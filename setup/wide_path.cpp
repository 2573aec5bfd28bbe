#include "wide_path.h"

#include <windows.h>

namespace ondrel::setup {
namespace {

bool IsHighSurrogate(wchar_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(wchar_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Code units taken by the character that starts at index: 2 for a surrogate
// pair, 1 for any other unit (half a pair included).
std::size_t CharacterLength(std::wstring_view text, std::size_t index) {
  return (index + 1 < text.size() && IsHighSurrogate(text[index]) &&
          IsLowSurrogate(text[index + 1]))
             ? 2
             : 1;
}

bool IsDriveRoot(std::wstring_view folder) {
  return folder.size() == 3 && folder[1] == L':' && folder[2] == L'\\';
}

}  // namespace

bool IsWholeText(std::wstring_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = CharacterLength(text, i);
    if (length == 1 && (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i]))) return false;
    i += length;
  }
  return true;
}

std::vector<std::wstring_view> SplitAtBackslashes(std::wstring_view path) {
  std::vector<std::wstring_view> parts;
  std::size_t start = 0;
  for (std::size_t end; (end = path.find(L'\\', start)) != std::wstring_view::npos;
       start = end + 1) {
    parts.push_back(path.substr(start, end - start));
  }
  parts.push_back(path.substr(start));
  return parts;
}

bool EndsWithBackslash(std::wstring_view path) { return !path.empty() && path.back() == L'\\'; }

std::wstring WithTrailingBackslash(std::wstring_view folder) {
  std::wstring result(folder);
  if (!EndsWithBackslash(folder)) result.push_back(L'\\');
  return result;
}

std::wstring WithoutTrailingBackslash(std::wstring_view folder) {
  if (folder.size() > 1 && !IsDriveRoot(folder) && EndsWithBackslash(folder)) {
    folder.remove_suffix(1);
  }
  return std::wstring(folder);
}

std::wstring JoinedPath(std::wstring_view folder, std::wstring_view name) {
  std::wstring path = WithTrailingBackslash(folder);
  path.append(name);
  return path;
}

std::optional<std::wstring> JoinPath(std::wstring_view folder, std::wstring_view name,
                                     std::size_t maxLength) {
  if (folder.empty() || name.empty()) return std::nullopt;
  std::wstring path = JoinedPath(folder, name);
  if (path.size() > maxLength) return std::nullopt;
  return path;
}

std::optional<std::wstring> FolderOf(std::wstring_view path) {
  const std::size_t lastBackslash = path.rfind(L'\\');
  if (lastBackslash == std::wstring_view::npos) return std::nullopt;
  return std::wstring(path.substr(0, lastBackslash + 1));
}

std::wstring BrokenIntoLines(std::wstring_view path, std::size_t width) {
  std::wstring result;
  std::size_t lineStart = 0;
  std::size_t lastBreak = 0;  // just after the line's last backslash; 0 for none
  for (std::size_t i = 0; i < path.size();) {
    const std::size_t length = CharacterLength(path, i);
    if (i + length - lineStart > width && i > lineStart) {
      const std::size_t end = lastBreak > lineStart ? lastBreak : i;
      result.append(path.substr(lineStart, end - lineStart));
      result.push_back(L'\n');
      lineStart = end;
      lastBreak = 0;
      continue;  // the same character again, now on a new line
    }
    if (path[i] == L'\\') lastBreak = i + 1;
    i += length;
  }
  result.append(path.substr(lineStart));
  return result;
}

bool EqualsIgnoringCase(std::wstring_view first, std::wstring_view second) {
  // Folding maps one code unit to one: texts of other lengths differ.
  if (first.size() != second.size()) return false;
  if (first.empty()) return true;
  // The ordinal comparison folds case with the table the file system uses.
  return CompareStringOrdinal(first.data(), static_cast<int>(first.size()), second.data(),
                              static_cast<int>(second.size()), TRUE) == CSTR_EQUAL;
}

bool IsSameFolder(std::wstring_view first, std::wstring_view second) {
  return EqualsIgnoringCase(WithoutTrailingBackslash(first), WithoutTrailingBackslash(second));
}

}  // namespace ondrel::setup
