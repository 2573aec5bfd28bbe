// The licence beside the installer: read as bytes, refused when missing,
// empty or too large, and named with every letter of its folder.
#include "licence_text.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "tests/support/temp_folder.h"

namespace ondrel::test {
using namespace ondrel::installer;
namespace {

TEST(LicenceText, ReadWholeOrRefusedWithWhy) {
  const TempFolder temp;
  const std::wstring folder = temp.path().wstring() + L"\\Downloads \u0141ukasz \u4e0b\u8f7d\\";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::filesystem::path licence = folder + L"license.txt";
  const struct {
    const char* what;
    std::optional<std::string> bytes;  // nothing: no file
    const wchar_t* problem;            // nullptr: read
  } cases[] = {
      {"missing", std::nullopt, L" could not be read: "},
      {"empty", std::string(), L" is empty."},
      {"one byte too large", std::string(kMaxLicenceBytes + 1, 'x'), L" is larger than 1 MB."},
      {"as large as it may be", std::string(kMaxLicenceBytes, 'x'), nullptr},
      {"CR LF and a byte of the code page", std::string("Caf\xE9\r\n"), nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(licence);
    if (c.bytes) std::ofstream(licence, std::ios::binary) << *c.bytes;
    const LicenceText read = ReadLicenceText(folder);
    if (c.problem) {
      EXPECT_TRUE(read.bytes.empty());
      // The problem names the licence with every letter of its folder.
      EXPECT_EQ(read.problem.rfind(L"The licence " + licence.wstring() + c.problem, 0), 0u);
    } else {
      EXPECT_EQ(read.problem, L"");
      EXPECT_EQ(read.bytes, *c.bytes);
    }
  }
  EXPECT_NE(ReadLicenceText(std::nullopt).problem, L"");
}

TEST(LicenceText, ShownInTheCodePageItIsWrittenFor) {
  EXPECT_EQ(ShownLicenceText("Agree\r\n"), L"Agree\r\n");
  EXPECT_EQ(ShownLicenceText(""), L"");
  // 0xE9 is "é" in the Western code page, Wine's own here.
  if (GetACP() == 1252) EXPECT_EQ(ShownLicenceText("Caf\xE9"), L"Caf\u00E9");
}

}  // namespace
}  // namespace ondrel::test
