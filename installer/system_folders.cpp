#include "system_folders.h"

#include <windows.h>

#include <cstring>
#include <optional>

#include "install_plan.h"
#include "registry_key.h"

namespace ondrel::installer {
namespace {

// Room given to the registry read of "ProgramFilesDir".
constexpr DWORD kProgramFilesValueBytes = 4096;

// text with its %NAME% references replaced; nothing when that fails.
std::optional<std::string> ExpandEnvironment(const std::string& text) {
  const DWORD needed = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
  if (needed == 0) return std::nullopt;
  // The ANSI form asks for one byte more than the text and its terminator.
  std::string expanded(needed + 1, '\0');
  const DWORD written = ExpandEnvironmentStringsA(text.c_str(), expanded.data(), needed + 1);
  if (written == 0 || written > needed + 1) return std::nullopt;
  expanded.resize(std::strlen(expanded.c_str()));
  return expanded;
}

}  // namespace

std::string ProgramFilesFolder() {
  const setup::RegistryKey key = setup::RegistryKey::Open(
      HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", KEY_ALL_ACCESS);
  std::optional<std::string> folder;
  if (const auto value = key.ReadStringValue("ProgramFilesDir", kProgramFilesValueBytes)) {
    folder = value->expandable ? ExpandEnvironment(value->text) : value->text;
  }
  return ChooseProgramFilesFolder(folder);
}

}  // namespace ondrel::installer
