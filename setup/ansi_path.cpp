#include "ansi_path.h"

#include <windows.h>

namespace ondrel::setup {
namespace {

bool IsLeadByte(char byte, CodePage codePage) {
  const auto value = static_cast<unsigned char>(byte);
  return value >= 0x80 && IsDBCSLeadByteEx(codePage.number, value);
}

// Bytes taken by the character that starts at index: 2 for a double-byte
// character, 1 for any other and for a lead byte cut off at the end.
std::size_t CharacterLength(std::string_view text, std::size_t index, CodePage codePage) {
  return (index + 1 < text.size() && IsLeadByte(text[index], codePage)) ? 2 : 1;
}

// Byte index of the backslash that ends the text, or npos.
std::size_t LastBackslash(std::string_view path, CodePage codePage) {
  std::size_t last = std::string_view::npos;
  for (std::size_t i = 0; i < path.size(); i += CharacterLength(path, i, codePage)) {
    if (path[i] == '\\') last = i;
  }
  return last;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsDriveRoot(std::string_view folder) {
  return folder.size() == 3 && folder[1] == ':' && folder[2] == '\\';
}

}  // namespace

bool IsWholeText(std::string_view text, CodePage codePage) {
  std::size_t i = 0;
  while (i < text.size()) {
    if (IsLeadByte(text[i], codePage) && i + 1 == text.size()) return false;
    i += CharacterLength(text, i, codePage);
  }
  return true;
}

std::vector<std::string_view> SplitAtBackslashes(std::string_view path, CodePage codePage) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i < path.size(); i += CharacterLength(path, i, codePage)) {
    if (path[i] == '\\') {
      parts.push_back(path.substr(start, i - start));
      start = i + 1;
    }
  }
  parts.push_back(path.substr(start));
  return parts;
}

bool EndsWithBackslash(std::string_view path, CodePage codePage) {
  return !path.empty() && LastBackslash(path, codePage) == path.size() - 1;
}

std::string WithTrailingBackslash(std::string_view folder, CodePage codePage) {
  std::string result(folder);
  if (!EndsWithBackslash(folder, codePage)) result.push_back('\\');
  return result;
}

std::string WithoutTrailingBackslash(std::string_view folder, CodePage codePage) {
  if (folder.size() > 1 && !IsDriveRoot(folder) && EndsWithBackslash(folder, codePage)) {
    folder.remove_suffix(1);
  }
  return std::string(folder);
}

std::string JoinedPath(std::string_view folder, std::string_view name, CodePage codePage) {
  std::string path = WithTrailingBackslash(folder, codePage);
  path.append(name);
  return path;
}

std::optional<std::string> JoinPath(std::string_view folder, std::string_view name,
                                    std::size_t maxLength, CodePage codePage) {
  if (folder.empty() || name.empty()) return std::nullopt;
  std::string path = JoinedPath(folder, name, codePage);
  if (path.size() > maxLength) return std::nullopt;
  return path;
}

std::optional<std::string> FolderOf(std::string_view path, CodePage codePage) {
  const std::size_t lastBackslash = LastBackslash(path, codePage);
  if (lastBackslash == std::string_view::npos) return std::nullopt;
  return std::string(path.substr(0, lastBackslash + 1));
}

std::string BrokenIntoLines(std::string_view path, std::size_t width, CodePage codePage) {
  std::string result;
  std::size_t lineStart = 0;
  std::size_t lastBreak = 0;  // just after the line's last backslash; 0 for none
  for (std::size_t i = 0; i < path.size();) {
    const std::size_t length = CharacterLength(path, i, codePage);
    if (i + length - lineStart > width && i > lineStart) {
      const std::size_t end = lastBreak > lineStart ? lastBreak : i;
      result.append(path.substr(lineStart, end - lineStart));
      result.push_back('\n');
      lineStart = end;
      lastBreak = 0;
      continue;  // the same character again, now on a new line
    }
    if (path[i] == '\\') lastBreak = i + 1;
    i += length;
  }
  result.append(path.substr(lineStart));
  return result;
}

bool EqualsIgnoringAsciiCase(std::string_view first, std::string_view second,
                             CodePage codePage) {
  if (first.size() != second.size()) return false;
  for (std::size_t i = 0; i < first.size();) {
    const std::size_t length = CharacterLength(first, i, codePage);
    if (length == 2) {
      if (first.substr(i, 2) != second.substr(i, 2)) return false;
    } else if (LowerAscii(first[i]) != LowerAscii(second[i])) {
      return false;
    }
    i += length;
  }
  return true;
}

bool IsSameFolder(std::string_view first, std::string_view second, CodePage codePage) {
  return EqualsIgnoringAsciiCase(WithoutTrailingBackslash(first, codePage),
                                 WithoutTrailingBackslash(second, codePage), codePage);
}

}  // namespace ondrel::setup
