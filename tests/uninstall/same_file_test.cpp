// The uninstaller deletes its own file only when it is the installation's:
// paths that name one file in different spellings must be told apart from
// paths that name another.
#include "same_file.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>
#include <fstream>
#include <string>

#include "tests/support/temp_folder.h"

namespace ondrel::test {
using namespace ondrel::uninstall;
namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

TEST(NamesSameFile, OtherSpellingsOfOneFileMatchAndOtherFilesDoNot) {
  const TempFolder temp;
  const std::string folder = temp.path().string() + "\\Program Files\\ondrel";
  const std::string other = temp.path().string() + "\\Program Files\\dist";
  ASSERT_TRUE(CreateDirectoryA((temp.path().string() + "\\Program Files").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(other.c_str(), nullptr));
  const std::string installed = folder + "\\uninstall.exe";
  std::ofstream(installed) << "installed";
  std::ofstream(other + "\\uninstall.exe") << "a copy";
  char shortForm[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameA(installed.c_str(), shortForm, MAX_PATH), 0u);

  const struct {
    std::string path;
    bool same;
  } cases[] = {
      {installed, true},
      {Upper(installed), true},
      {shortForm, true},
      {folder + "\\.\\..\\ondrel\\uninstall.exe", true},
      {other + "\\uninstall.exe", false},
      {folder + "\\uninstall.ex", false},
      {folder + "\\missing.exe", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NamesSameFile(c.path, installed), c.same) << c.path;
    EXPECT_EQ(NamesSameFile(installed, c.path), c.same) << c.path;
  }
}

}  // namespace
}  // namespace ondrel::test
