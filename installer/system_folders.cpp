#include "system_folders.h"

#include <windows.h>

#include <cwchar>
#include <optional>

#include "install_plan.h"
#include "registry_key.h"

namespace ondrel::installer {
namespace {

// Room given to the registry read of "ProgramFilesDir", in UTF-16 code units.
constexpr DWORD kProgramFilesValueUnits = 4096;

// text with its %NAME% references replaced; nothing when that fails.
std::optional<std::wstring> ExpandEnvironment(const std::wstring& text) {
  const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
  if (needed == 0) return std::nullopt;
  std::wstring expanded(needed, L'\0');
  const DWORD written = ExpandEnvironmentStringsW(text.c_str(), expanded.data(), needed);
  // The environment may have changed between the two calls.
  if (written == 0 || written > needed) return std::nullopt;
  expanded.resize(std::wcslen(expanded.c_str()));
  return expanded;
}

}  // namespace

std::wstring ProgramFilesFolder() {
  const setup::RegistryKey key = setup::RegistryKey::Open(
      HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", KEY_ALL_ACCESS);
  std::optional<std::wstring> folder;
  if (const auto value = key.ReadStringValue(L"ProgramFilesDir", kProgramFilesValueUnits)) {
    folder = value->expandable ? ExpandEnvironment(value->text) : value->text;
  }
  return ChooseProgramFilesFolder(folder);
}

}  // namespace ondrel::installer
