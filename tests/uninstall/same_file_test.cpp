// The uninstaller deletes its own file only when it is the installation's:
// paths that name one file in different spellings must be told apart from
// paths that name another.
#include "same_file.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/temp_folder.h"

namespace ondrel::test {
using namespace ondrel::uninstall;
namespace {

TEST(NamesSameFile, OtherSpellingsOfOneFileMatchAndOtherFilesDoNot) {
  const TempFolder temp;
  // "Программы Łukasz" and, in capitals, "ПРОГРАММЫ ŁUKASZ".
  const std::wstring programs = temp.path().wstring() +
                                L"\\\u041f\u0440\u043e\u0433\u0440\u0430\u043c\u043c\u044b \u0141ukasz";
  const std::wstring programsInCapitals = temp.path().wstring() +
                                          L"\\\u041f\u0420\u041e\u0413\u0420\u0410\u041c\u041c\u042b \u0141UKASZ";
  const std::wstring folder = programs + L"\\ondrel";
  const std::wstring other = programs + L"\\dist";
  ASSERT_TRUE(CreateDirectoryW(programs.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(other.c_str(), nullptr));
  const std::wstring installed = folder + L"\\uninstall.exe";
  std::ofstream(std::filesystem::path(installed)) << "installed";
  std::ofstream(std::filesystem::path(other + L"\\uninstall.exe")) << "a copy";
  wchar_t shortForm[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameW(installed.c_str(), shortForm, MAX_PATH), 0u);

  const struct {
    std::wstring path;
    bool same;
  } cases[] = {
      {installed, true},
      {programsInCapitals + L"\\ONDREL\\UNINSTALL.EXE", true},
      {shortForm, true},
      {folder + L"\\.\\..\\ondrel\\uninstall.exe", true},
      {other + L"\\uninstall.exe", false},
      {folder + L"\\uninstall.ex", false},
      {folder + L"\\missing.exe", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NamesSameFile(c.path, installed), c.same) << c.path.size();
    EXPECT_EQ(NamesSameFile(installed, c.path), c.same) << c.path.size();
  }
}

}  // namespace
}  // namespace ondrel::test
