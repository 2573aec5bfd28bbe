#include "uninstall_paths.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace ondrel::uninstall {
namespace {

struct FolderCase {
  const char* path;
  bool deletable;
};

void PrintTo(const FolderCase& folderCase, std::ostream* out) {
  *out << '"' << folderCase.path << (folderCase.deletable ? "\" deletable" : "\" kept");
}

class IsInstallationFolderTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(IsInstallationFolderTest, OnlyAnAbsoluteFolderNamedOndrelIsDeleted) {
  EXPECT_EQ(IsInstallationFolder(GetParam().path), GetParam().deletable) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    PathValues, IsInstallationFolderTest,
    ::testing::Values(
        FolderCase{"C:\\Program Files\\ondrel\\", true},
        FolderCase{"C:\\Program Files\\ondrel", true},
        FolderCase{"c:\\program files\\ONDREL\\", true}, FolderCase{"D:\\ondrel", true},
        FolderCase{"\\\\server\\share\\ondrel\\", true}, FolderCase{"", false},
        FolderCase{"C:", false}, FolderCase{"C:\\", false}, FolderCase{"C:\\Windows", false},
        FolderCase{"C:\\Windows\\", false}, FolderCase{"C:\\Program Files\\", false},
        FolderCase{"C:\\Program Files\\other\\", false},
        FolderCase{"C:\\Program Files\\ondrel2\\", false},
        FolderCase{"C:\\Program Files\\myondrel\\", false},
        FolderCase{"C:\\Program Files\\ondrel\\\\", false},
        FolderCase{"C:\\Program Files\\ondrel\\..", false},
        FolderCase{"C:\\Program Files\\ondrel\\.", false}, FolderCase{"ondrel", false},
        FolderCase{"ondrel\\", false}, FolderCase{"\\ondrel", false}, FolderCase{"C:ondrel", false},
        FolderCase{"C:\\*\\ondrel", false}, FolderCase{"C:\\Windows/ondrel", false},
        FolderCase{"C:\\Windows\\ondrel ", false}));

TEST(WithoutTrailingBackslash, KeepsADriveRootWhole) {
  EXPECT_EQ(WithoutTrailingBackslash("C:\\a\\ondrel\\"), "C:\\a\\ondrel");
  EXPECT_EQ(WithoutTrailingBackslash("C:\\a\\ondrel"), "C:\\a\\ondrel");
  EXPECT_EQ(WithoutTrailingBackslash("C:\\"), "C:\\");
  EXPECT_EQ(WithoutTrailingBackslash(""), "");
}

TEST(JoinPath, BoundsTheResultWithoutCuttingIt) {
  EXPECT_EQ(JoinPath("C:\\ondrel\\", "a.txt"), "C:\\ondrel\\a.txt");
  EXPECT_EQ(JoinPath("C:\\ondrel", "a.txt"), "C:\\ondrel\\a.txt");
  const std::string folder = "C:\\" + std::string(kMaxPathLength - 3 - 6, 'f');
  EXPECT_EQ(JoinPath(folder, "a.txt")->size(), kMaxPathLength);
  EXPECT_FALSE(JoinPath(folder, "ab.txt").has_value());
  // A "Path" of 1,023 characters, the most the registry read takes.
  EXPECT_FALSE(JoinPath("C:\\" + std::string(1020, 'x'), "*.*").has_value());
}

TEST(FolderOfFile, DropsTheNameAndTheBackslash) {
  EXPECT_EQ(FolderOfFile("C:\\PROGRA~1\\ondrel\\UNINST~1.EXE"), "C:\\PROGRA~1\\ondrel");
  EXPECT_EQ(FolderOfFile("C:\\uninstall.exe"), "C:\\");
  EXPECT_FALSE(FolderOfFile("uninstall.exe").has_value());
}

TEST(IsSameFolder, IgnoresCaseAndATrailingBackslash) {
  EXPECT_TRUE(IsSameFolder("C:\\Program Files\\ondrel\\", "c:\\program files\\ONDREL"));
  EXPECT_FALSE(IsSameFolder("C:\\Program Files\\ondrel", "C:\\Program Files\\ondrel2"));
  EXPECT_FALSE(IsSameFolder("C:\\elsewhere", "C:\\Program Files\\ondrel"));
}

TEST(SelfDeleteParameters, BeginWithTheDeleteAndEndWithTheFolderRemoval) {
  const std::optional<std::string> parameters = SelfDeleteParameters(
      "C:\\PROGRA~1\\ondrel\\UNINST~1.EXE", std::string_view("C:\\PROGRA~1\\ondrel"));
  ASSERT_TRUE(parameters.has_value());
  const std::string start = "/c del C:\\PROGRA~1\\ondrel\\UNINST~1.EXE > nul";
  const std::string end = " & rmdir C:\\PROGRA~1\\ondrel";
  EXPECT_EQ(parameters->substr(0, start.size()), start);
  ASSERT_GE(parameters->size(), end.size());
  EXPECT_EQ(parameters->substr(parameters->size() - end.size()), end);
  // The retry waits only while the file is still there.
  EXPECT_NE(parameters->find("if exist C:\\PROGRA~1\\ondrel\\UNINST~1.EXE ("), std::string::npos);
}

TEST(SelfDeleteParameters, WithoutAFolderNothingIsRemovedButTheFile) {
  const std::optional<std::string> parameters =
      SelfDeleteParameters("C:\\tools\\UNINST~1.EXE", std::nullopt);
  ASSERT_TRUE(parameters.has_value());
  EXPECT_EQ(parameters->find("rmdir"), std::string::npos);
}

TEST(SelfDeleteParameters, QuotesNamesThatTheInterpreterWouldSplit) {
  // Where a volume has no short names, the "short" name is the long one.
  const std::optional<std::string> parameters = SelfDeleteParameters(
      "C:\\Program Files\\ondrel\\uninstall.exe", std::string_view("C:\\A&B\\ondrel"));
  ASSERT_TRUE(parameters.has_value());
  EXPECT_EQ(parameters->rfind("/c del \"C:\\Program Files\\ondrel\\uninstall.exe\" > nul", 0), 0u);
  EXPECT_NE(parameters->find("rmdir \"C:\\A&B\\ondrel\""), std::string::npos);
}

TEST(SelfDeleteParameters, RefusesNamesThatNoQuotingProtects) {
  EXPECT_FALSE(SelfDeleteParameters("C:\\100%PATH%\\UNINST~1.EXE", std::nullopt).has_value());
  EXPECT_FALSE(SelfDeleteParameters("C:\\a\"b\\UNINST~1.EXE", std::nullopt).has_value());
  EXPECT_FALSE(SelfDeleteParameters("C:\\a\nb\\UNINST~1.EXE", std::nullopt).has_value());
  EXPECT_FALSE(SelfDeleteParameters("", std::nullopt).has_value());
  EXPECT_FALSE(
      SelfDeleteParameters("C:\\ondrel\\U.EXE", std::string_view("C:\\%x%\\ondrel")).has_value());
}

}  // namespace
}  // namespace ondrel::uninstall
