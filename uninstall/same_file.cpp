#include "same_file.h"

#include <windows.h>

#include <optional>

#include "wide_path.h"

namespace ondrel::uninstall {
namespace {

// The full, long form of an existing path.
std::optional<std::wstring> FullLongPath(const std::wstring& path) {
  wchar_t full[MAX_PATH] = {};
  DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) return std::nullopt;
  wchar_t longPath[MAX_PATH] = {};
  length = GetLongPathNameW(full, longPath, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::nullopt;
  return std::wstring(longPath, length);
}

}  // namespace

bool NamesSameFile(const std::wstring& first, const std::wstring& second) {
  const std::optional<std::wstring> a = FullLongPath(first);
  const std::optional<std::wstring> b = FullLongPath(second);
  return a && b && setup::EqualsIgnoringCase(*a, *b);
}

}  // namespace ondrel::uninstall
