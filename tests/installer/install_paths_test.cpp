#include "install_paths.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace ondrel::installer {
namespace {

struct InstallationFolderCase {
  std::string programFiles;
  std::string expected;
};

void PrintTo(const InstallationFolderCase& folderCase, std::ostream* out) {
  *out << '"' << folderCase.programFiles << '"';
}

class InstallationFolderTest : public ::testing::TestWithParam<InstallationFolderCase> {};

TEST_P(InstallationFolderTest, AddsOneBackslashAndTheOndrelFolder) {
  const std::optional<std::string> folder = InstallationFolder(GetParam().programFiles);
  ASSERT_TRUE(folder.has_value());
  EXPECT_EQ(*folder, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    ProgramFilesValues, InstallationFolderTest,
    ::testing::Values(InstallationFolderCase{"C:\\Program Files", "C:\\Program Files\\ondrel\\"},
                      InstallationFolderCase{"C:\\Program Files\\", "C:\\Program Files\\ondrel\\"},
                      InstallationFolderCase{"c:\\program files\\", "c:\\program files\\ondrel\\"},
                      InstallationFolderCase{"D:\\", "D:\\ondrel\\"}));

TEST(InstallationFolder, EmptyProgramFilesGivesNoFolder) {
  EXPECT_FALSE(InstallationFolder("").has_value());
}

TEST(InstallationFolder, OverLongProgramFilesIsSkippedNotCut) {
  // 4,000 characters fit the registry read but no file path.
  const std::string longValue = "C:\\" + std::string(3997, 'x');
  EXPECT_FALSE(InstallationFolder(longValue).has_value());
}

TEST(InstallationFolder, LengthLimitIsExact) {
  // "C:\" + n + "\ondrel\" is n + 11 characters long.
  const std::string fits = "C:\\" + std::string(kMaxPathLength - 11, 'a');
  const std::string tooLong = fits + "a";
  ASSERT_TRUE(InstallationFolder(fits).has_value());
  EXPECT_EQ(InstallationFolder(fits)->size(), kMaxPathLength);
  EXPECT_FALSE(InstallationFolder(tooLong).has_value());
}

TEST(FolderOfModule, KeepsTheLastBackslash) {
  EXPECT_EQ(FolderOfModule("C:\\setup\\dist\\installer.exe"), "C:\\setup\\dist\\");
  EXPECT_EQ(FolderOfModule("C:\\installer.exe"), "C:\\");
  EXPECT_EQ(FolderOfModule("\\\\server\\share\\installer.exe"), "\\\\server\\share\\");
}

TEST(FolderOfModule, PathWithoutBackslashHasNoFolder) {
  EXPECT_FALSE(FolderOfModule("installer.exe").has_value());
  EXPECT_FALSE(FolderOfModule("").has_value());
}

TEST(JoinPath, AddsABackslashOnlyWhenMissing) {
  EXPECT_EQ(JoinPath("C:\\a", "ondrel.exe"), "C:\\a\\ondrel.exe");
  EXPECT_EQ(JoinPath("C:\\a\\", "ondrel.exe"), "C:\\a\\ondrel.exe");
}

TEST(JoinPath, RefusesEmptyPartsAndOverLongResults) {
  EXPECT_FALSE(JoinPath("", "ondrel.exe").has_value());
  EXPECT_FALSE(JoinPath("C:\\a", "").has_value());
  // A deep installer folder: the copy source would be one character too long.
  const std::string deep = "C:\\" + std::string(kMaxPathLength - 3 - 1 - 10, 'd');
  EXPECT_TRUE(JoinPath(deep, "ondrel.exe").has_value());
  EXPECT_FALSE(JoinPath(deep + "d", "ondrel.exe").has_value());
  EXPECT_TRUE(JoinPath(deep + "d", "ondrel.exe", kMaxPathLength + 1).has_value());
}

TEST(CommandLineForProgram, QuotesAPathWithABlank) {
  EXPECT_EQ(CommandLineForProgram("C:\\Program Files\\ondrel\\uninstall.exe"),
            "\"C:\\Program Files\\ondrel\\uninstall.exe\"");
  EXPECT_EQ(CommandLineForProgram("D:\\ondrel\\uninstall.exe"), "D:\\ondrel\\uninstall.exe");
}

TEST(ShippedFiles, AreCopiedInTableOrderAndFitTheirSlots) {
  const std::array<std::string_view, 4> expected = {"license.txt", "ondrel.lng", "uninstall.exe",
                                                    "ondrel.exe"};
  EXPECT_EQ(kShippedFiles, expected);
  for (const std::string_view name : kShippedFiles) EXPECT_LE(name.size(), 13u) << name;
}

}  // namespace
}  // namespace ondrel::installer
