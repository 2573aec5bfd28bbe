// The uninstall entry's values, and their undo over no entry and over earlier
// ones, in a key of the test's own.
#include "uninstall_entry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ondrel::test {
using namespace ondrel::installer;
using setup::RegistryKey;
namespace {

constexpr const wchar_t* kParentPath = L"Software\\OndrelTests";
constexpr const wchar_t* kKeyPath = L"Software\\OndrelTests\\Ondrel";
const EntryLocation kWhere{HKEY_CURRENT_USER, kKeyPath};

// Every value of the key as stored; nothing when there is no key.
using Values = std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>>;
std::optional<Values> Snapshot() {
  const RegistryKey key = RegistryKey::Open(HKEY_CURRENT_USER, kKeyPath, KEY_READ);
  if (!key) return std::nullopt;
  Values values;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256] = {};
    DWORD nameLength = 256;
    BYTE data[2048] = {};
    DWORD size = sizeof data;
    DWORD type = 0;
    if (RegEnumValueW(key.get(), i, name, &nameLength, nullptr, &type, data, &size) !=
        ERROR_SUCCESS) {
      break;
    }
    values[name] = {type, std::vector<BYTE>(data, data + size)};
  }
  return values;
}

InstallPlan Plan(const std::wstring& folder) {
  InstallPlan plan;
  plan.installationFolder = folder;
  plan.organiser = folder + L"ondrel.exe";
  plan.uninstallString = L"\"" + folder + L"uninstall.exe\"";
  return plan;
}

std::optional<DWORD> NumberOf(const std::vector<EntryValue>& values, const wchar_t* name) {
  for (const EntryValue& entry : values) {
    if (std::wcscmp(entry.name, name) == 0 && entry.value.type == REG_DWORD) {
      DWORD number = 0;
      std::memcpy(&number, entry.value.data.data(), sizeof number);
      return number;
    }
  }
  return std::nullopt;
}

// The text of a REG_SZ value stored with its terminator, as readers expect it.
std::optional<std::wstring> TextOf(const std::vector<EntryValue>& values, const wchar_t* name) {
  for (const EntryValue& entry : values) {
    if (std::wcscmp(entry.name, name) == 0 && entry.value.type == REG_SZ) {
      std::wstring stored(entry.value.data.size() / sizeof(wchar_t), L'\0');
      std::memcpy(stored.data(), entry.value.data.data(), stored.size() * sizeof(wchar_t));
      if (stored.empty() || stored.back() != L'\0') return std::nullopt;
      stored.pop_back();
      return stored;
    }
  }
  return std::nullopt;
}

TEST(UninstallEntryValues, TellWindowsWhatToShow) {
  const std::wstring folder = L"C:\\Program\u00A0Files \u0417\u0430\u0433\\ondrel\\";
  const std::vector<EntryValue> values = UninstallEntryValues(Plan(folder), 1);
  EXPECT_EQ(TextOf(values, L"DisplayName"), L"Ondrel");
  EXPECT_EQ(TextOf(values, L"UninstallString"), L"\"" + folder + L"uninstall.exe\"");
  EXPECT_EQ(TextOf(values, L"Path"), folder);
  EXPECT_EQ(TextOf(values, L"DisplayIcon"), folder + L"ondrel.exe,0");
  EXPECT_EQ(TextOf(values, L"InstallLocation"), folder);
  EXPECT_TRUE(TextOf(values, L"DisplayVersion").has_value());
  EXPECT_TRUE(TextOf(values, L"Publisher").has_value());
  EXPECT_EQ(NumberOf(values, L"NoModify"), 1u);
  EXPECT_EQ(NumberOf(values, L"NoRepair"), 1u);
  // The installed size in KiB, a part of one counted whole.
  const struct {
    unsigned long long bytes;
    DWORD kib;
  } sizes[] = {{0, 0}, {1, 1}, {1024, 1}, {1025, 2}, {2'500'000, 2442}};
  for (const auto& size : sizes) {
    EXPECT_EQ(NumberOf(UninstallEntryValues(Plan(folder), size.bytes), L"EstimatedSize"),
              size.kib)
        << size.bytes;
  }
}

class RegisterUninstallTest : public ::testing::Test {
 protected:
  void SetUp() override { Clear(); }
  void TearDown() override { Clear(); }
  static void Clear() {
    RegDeleteKeyW(HKEY_CURRENT_USER, kKeyPath);
    RegDeleteKeyW(HKEY_CURRENT_USER, kParentPath);
  }
  static void Write(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    LONG error = ERROR_SUCCESS;
    const RegistryKey key = RegistryKey::Create(HKEY_CURRENT_USER, kKeyPath, KEY_WRITE, error);
    ASSERT_TRUE(key);
    ASSERT_EQ(RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
  }
  static void WriteText(const wchar_t* name, const std::wstring& text) {
    Write(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
};

// Over no entry, an entry an earlier installer wrote (three values and one of
// another program's) and an entry whose every value differs: commit keeps
// the new values, undo gives back exactly what was there.
TEST_F(RegisterUninstallTest, UndoGivesBackExactlyTheEarlierEntry) {
  const std::vector<EntryValue> values =
      UninstallEntryValues(Plan(L"C:\\\u4e0b\u8f7d\\ondrel\\"), 3'000'000);
  enum class Earlier { kNone, kThreeValues, kEveryValueOther };
  for (const Earlier earlier : {Earlier::kNone, Earlier::kThreeValues, Earlier::kEveryValueOther}) {
    for (const bool commit : {false, true}) {
      SCOPED_TRACE(std::to_string(static_cast<int>(earlier)) + (commit ? " commit" : " undo"));
      Clear();
      if (earlier == Earlier::kThreeValues) {
        WriteText(L"DisplayName", L"Ondrel");
        WriteText(L"UninstallString", L"C:\\earlier\\uninstall.exe");
        WriteText(L"Path", L"C:\\earlier\\");
        WriteText(L"Comments", L"another program's");
      } else if (earlier == Earlier::kEveryValueOther) {
        const DWORD zero = 0;
        for (const EntryValue& entry : values) {
          if (entry.value.type == REG_DWORD) {
            Write(entry.name, REG_DWORD, &zero, sizeof zero);
          } else {
            Write(entry.name, REG_EXPAND_SZ, L"%x%", 8);
          }
        }
      }
      const std::optional<Values> before = Snapshot();

      ChangeJournal journal;
      ASSERT_EQ(RegisterUninstall(values, journal, kWhere), std::nullopt);
      const std::optional<Values> written = Snapshot();
      ASSERT_TRUE(written.has_value());
      for (const EntryValue& entry : values) {
        const auto value = written->find(entry.name);
        ASSERT_NE(value, written->end());
        EXPECT_EQ(value->second, std::make_pair(entry.value.type, entry.value.data));
      }
      if (commit) {
        journal.Commit();
        EXPECT_EQ(Snapshot(), written);
      } else {
        EXPECT_TRUE(journal.Undo().empty());
        EXPECT_EQ(Snapshot(), before);
      }
    }
  }
}

}  // namespace
}  // namespace ondrel::test
