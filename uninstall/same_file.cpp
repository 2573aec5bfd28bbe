#include "same_file.h"

#include <windows.h>

#include <optional>

namespace ondrel::uninstall {
namespace {

// The full, long form of an existing path in UTF-16, where letter case can be
// folded as the file system folds it.
std::optional<std::wstring> FullLongPath(const std::string& path) {
  char full[MAX_PATH] = {};
  DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) return std::nullopt;
  char longPath[MAX_PATH] = {};
  length = GetLongPathNameA(full, longPath, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::nullopt;
  const int units = MultiByteToWideChar(CP_ACP, 0, longPath, static_cast<int>(length), nullptr, 0);
  if (units <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_ACP, 0, longPath, static_cast<int>(length), wide.data(), units);
  return wide;
}

}  // namespace

bool NamesSameFile(const std::string& first, const std::string& second) {
  const std::optional<std::wstring> a = FullLongPath(first);
  const std::optional<std::wstring> b = FullLongPath(second);
  return a && b &&
         CompareStringOrdinal(a->c_str(), static_cast<int>(a->size()), b->c_str(),
                              static_cast<int>(b->size()), TRUE) == CSTR_EQUAL;
}

}  // namespace ondrel::uninstall
