// String values as setup reads them: written by an earlier, ANSI installer,
// or stored without a terminator or with half a code unit.
#include "registry_key.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace ondrel::test {
using setup::RegistryKey;
namespace {

constexpr const wchar_t* kTestKeyPath = L"Software\\OndrelTests\\RegistryKey";

class RegistryKeyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LONG error = ERROR_SUCCESS;
    key_ = RegistryKey::Create(HKEY_CURRENT_USER, kTestKeyPath, KEY_ALL_ACCESS, error);
    ASSERT_TRUE(key_) << error;
  }
  void TearDown() override {
    key_ = RegistryKey();
    RegDeleteKeyW(HKEY_CURRENT_USER, kTestKeyPath);
  }
  void SetBytes(const wchar_t* name, DWORD type, const void* bytes, DWORD size) {
    ASSERT_EQ(RegSetValueExW(key_.get(), name, 0, type, static_cast<const BYTE*>(bytes), size),
              ERROR_SUCCESS);
  }

  RegistryKey key_;
};

TEST_F(RegistryKeyTest, StringValuesComeBackWholeOrNotAtAll) {
  // As the earlier installer wrote "Path": an ANSI value in code page 1252
  // with its terminator (0xE9 is "é" there).
  ASSERT_EQ(RegSetValueExA(key_.get(), "Ansi", 0, REG_SZ,
                           reinterpret_cast<const BYTE*>("C:\\Caf\xE9\\ondrel\\"), 17),
            ERROR_SUCCESS);
  const std::wstring wide = L"C:\\\u0141ukasz \u4e0b\u8f7d\\ondrel\\";
  SetBytes(L"Wide", REG_SZ, wide.c_str(), static_cast<DWORD>((wide.size() + 1) * 2));
  SetBytes(L"NoTerminator", REG_SZ, L"C:\\ondrel", 9 * 2);
  SetBytes(L"HalfAUnit", REG_SZ, L"C:\\ondrel", 9 * 2 + 1);
  SetBytes(L"Expandable", REG_EXPAND_SZ, L"%SystemDrive%\\x", 16 * 2);
  const DWORD number = 1;
  SetBytes(L"Number", REG_DWORD, &number, sizeof number);
  const std::wstring long1023(1023, L'p');
  const std::wstring long1024(1024, L'p');
  SetBytes(L"Fits", REG_SZ, long1023.c_str(), 1024 * 2);
  SetBytes(L"TooLong", REG_SZ, long1024.c_str(), 1025 * 2);

  const struct {
    const wchar_t* name;
    std::optional<std::wstring> text;
  } cases[] = {
      {L"Ansi", L"C:\\Caf\u00E9\\ondrel\\"},
      {L"Wide", wide},
      {L"NoTerminator", L"C:\\ondrel"},
      {L"HalfAUnit", L"C:\\ondrel"},
      {L"Expandable", L"%SystemDrive%\\x"},
      {L"Number", std::nullopt},
      {L"Missing", std::nullopt},
      {L"Fits", long1023},
      {L"TooLong", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(key_.ReadString(c.name, 1024), c.text) << c.name;
  EXPECT_TRUE(key_.ReadStringValue(L"Expandable", 1024)->expandable);
  EXPECT_FALSE(key_.ReadStringValue(L"Wide", 1024)->expandable);
}

}  // namespace
}  // namespace ondrel::test
