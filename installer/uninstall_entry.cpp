#include "uninstall_entry.h"

#include <cstring>
#include <optional>
#include <utility>

#include "message_text.h"
#include "product_version.h"

namespace ondrel::installer {

using setup::RegistryKey;

namespace {

constexpr unsigned long long kBytesPerKib = 1024;

RegistryKey::RawValue Text(const std::wstring& text) {
  RegistryKey::RawValue value;
  value.type = REG_SZ;
  const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
  value.data.assign(bytes, bytes + (text.size() + 1) * sizeof(wchar_t));  // with its terminator
  return value;
}

RegistryKey::RawValue Number(DWORD number) {
  RegistryKey::RawValue value;
  value.type = REG_DWORD;
  value.data.resize(sizeof number);
  std::memcpy(value.data.data(), &number, sizeof number);
  return value;
}

// Each value as it was before, nothing where it was missing; in the order of
// the values written.
using EarlierValues = std::vector<std::pair<std::wstring, std::optional<RegistryKey::RawValue>>>;

bool PutBack(const EarlierValues& earlier, const EntryLocation& where) {
  const RegistryKey key = RegistryKey::Open(where.root, where.keyPath, KEY_SET_VALUE);
  if (!key) return false;
  bool all = true;
  for (const auto& [name, value] : earlier) {
    const LONG error =
        value ? key.WriteRawValue(name.c_str(), *value) : key.DeleteValue(name.c_str());
    all = all && error == ERROR_SUCCESS;
  }
  return all;
}

std::wstring NotWritten(LONG error) {
  return L"The uninstall entry could not be written: " +
         setup::SystemErrorText(static_cast<DWORD>(error));
}

}  // namespace

std::vector<EntryValue> UninstallEntryValues(const InstallPlan& plan,
                                             unsigned long long installedBytes) {
  const unsigned long long kib = (installedBytes + kBytesPerKib - 1) / kBytesPerKib;
  return {
      {L"DisplayName", Text(L"Ondrel")},
      {L"UninstallString", Text(plan.uninstallString)},
      {L"Path", Text(plan.installationFolder)},
      {L"DisplayIcon", Text(plan.organiser + L",0")},
      {L"DisplayVersion", Text(L"" ONDREL_VERSION_TEXT)},
      {L"Publisher", Text(L"" ONDREL_PUBLISHER)},
      {L"InstallLocation", Text(plan.installationFolder)},
      {L"EstimatedSize", Number(static_cast<DWORD>(kib))},
      {L"NoModify", Number(1)},
      {L"NoRepair", Number(1)},
  };
}

StepFailure RegisterUninstall(const std::vector<EntryValue>& values, ChangeJournal& journal,
                              const EntryLocation& where) {
  LONG error = ERROR_SUCCESS;
  bool created = false;
  const RegistryKey key =
      RegistryKey::Create(where.root, where.keyPath, KEY_READ | KEY_WRITE, error, &created);
  if (!key) return NotWritten(error);

  if (created) {
    journal.Record(L"The new uninstall entry could not be removed.", [where] {
      return RegDeleteKeyW(where.root, where.keyPath) == ERROR_SUCCESS;
    });
  } else {
    EarlierValues earlier;
    for (const EntryValue& entry : values) {
      earlier.emplace_back(entry.name, key.ReadRawValue(entry.name, error));
      if (error != ERROR_SUCCESS) {
        return L"The earlier uninstall entry could not be read: " +
               setup::SystemErrorText(static_cast<DWORD>(error));
      }
    }
    journal.Record(L"The earlier uninstall entry could not be put back as it was.",
                   [earlier = std::move(earlier), where] { return PutBack(earlier, where); });
  }

  for (const EntryValue& entry : values) {
    if (const LONG written = key.WriteRawValue(entry.name, entry.value);
        written != ERROR_SUCCESS) {
      return NotWritten(written);
    }
  }
  return std::nullopt;
}

}  // namespace ondrel::installer
