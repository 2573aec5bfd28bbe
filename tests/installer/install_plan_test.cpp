#include "install_plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "install_report.h"

namespace ondrel::test {
using namespace ondrel::installer;
namespace {

using setup::kMaxPathLength;

// A message text without the line breaks that long paths are given.
std::string Unbroken(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
  return text;
}

InstallInputs Inputs(const std::string& programFiles) {
  return {"C:\\setup\\installer.exe", programFiles, "C:\\users\\me\\Start Menu\\Programs",
          "C:\\users\\me\\Desktop"};
}

struct FolderCase {
  std::string programFiles;
  std::string expected;
};

void PrintTo(const FolderCase& folderCase, std::ostream* out) {
  *out << '"' << folderCase.programFiles << '"';
}

class InstallationFolderTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(InstallationFolderTest, AddsOneBackslashAndTheOndrelFolder) {
  const PlanResult result = PlanInstallation(Inputs(GetParam().programFiles));
  ASSERT_TRUE(result.plan.has_value()) << result.refusal;
  EXPECT_EQ(result.plan->installationFolder, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    ProgramFilesValues, InstallationFolderTest,
    ::testing::Values(FolderCase{"C:\\Program Files", "C:\\Program Files\\ondrel\\"},
                      FolderCase{"C:\\Program Files\\", "C:\\Program Files\\ondrel\\"},
                      FolderCase{"c:\\program files\\", "c:\\program files\\ondrel\\"},
                      FolderCase{"D:\\", "D:\\ondrel\\"}));

TEST(InstallPlan, EveryPathOfTheInstallation) {
  const PlanResult result = PlanInstallation(Inputs("C:\\Program Files"));
  ASSERT_TRUE(result.plan.has_value());
  const InstallPlan& plan = *result.plan;
  ASSERT_EQ(plan.copies.size(), 4u);
  EXPECT_EQ(plan.copies[0].source, "C:\\setup\\license.txt");
  EXPECT_EQ(plan.copies[2].destination, "C:\\Program Files\\ondrel\\uninstall.exe");
  EXPECT_EQ(plan.copies[3].name, "ondrel.exe");
  EXPECT_EQ(plan.organiser, "C:\\Program Files\\ondrel\\ondrel.exe");
  EXPECT_EQ(plan.uninstallString, "\"C:\\Program Files\\ondrel\\uninstall.exe\"");
  EXPECT_EQ(plan.programsShortcut, "C:\\users\\me\\Start Menu\\Programs\\Ondrel.lnk");
  EXPECT_EQ(plan.desktopShortcut, "C:\\users\\me\\Desktop\\Ondrel.lnk");
}

// The installation folder's length decides: with 246 characters its longest
// file, "uninstall.exe", just fits; 247 to 249 once gave a partial
// installation, and 250 or more left even "ondrel.exe" out.
TEST(InstallPlan, RefusesWholeWhenTheLongestShippedFileWouldNotFit) {
  for (const std::size_t folderLength : {246u, 247u, 249u, 251u}) {
    // "C:\" + n + "\ondrel\" is n + 11 characters long.
    const std::string programFiles = "C:\\" + std::string(folderLength - 11, 'p');
    const PlanResult result = PlanInstallation(Inputs(programFiles));
    if (folderLength + 13 <= kMaxPathLength) {
      ASSERT_TRUE(result.plan.has_value()) << folderLength;
      EXPECT_EQ(result.plan->installationFolder.size(), folderLength);
    } else {
      EXPECT_FALSE(result.plan.has_value()) << folderLength;
      EXPECT_NE(Unbroken(result.refusal).find(programFiles + "\\ondrel\\uninstall.exe"),
                std::string::npos)
          << result.refusal;
    }
  }
}

TEST(InstallPlan, RefusesWhenAShortcutOrACopySourceWouldNotFit) {
  InstallInputs inputs = Inputs("C:\\Program Files");
  inputs.desktopFolder = "C:\\" + std::string(kMaxPathLength - 3 - 11 + 1, 'd');
  EXPECT_FALSE(PlanInstallation(inputs).plan.has_value());
  inputs = Inputs("C:\\Program Files");
  inputs.programsFolder = "C:\\" + std::string(kMaxPathLength - 3 - 11 + 1, 'm');
  EXPECT_FALSE(PlanInstallation(inputs).plan.has_value());

  // An installer renamed "setup.exe" in a folder of 247 characters: its own
  // path fits, "uninstall.exe" beside it does not.
  inputs = Inputs("C:\\Program Files");
  inputs.installerPath = "C:\\" + std::string(243, 's') + "\\setup.exe";
  EXPECT_FALSE(PlanInstallation(inputs).plan.has_value());

  inputs.installerPath = std::nullopt;
  EXPECT_FALSE(PlanInstallation(inputs).plan.has_value());

  // A path of thousands of characters is named by its two ends only.
  const PlanResult huge = PlanInstallation(Inputs("C:\\" + std::string(3997, 'p')));
  ASSERT_FALSE(huge.plan.has_value());
  EXPECT_LT(huge.refusal.size(), 400u);
  const std::string unbroken = Unbroken(huge.refusal);
  EXPECT_NE(unbroken.find("C:\\ppp"), std::string::npos) << huge.refusal;
  EXPECT_NE(unbroken.find("ppp...ppp"), std::string::npos) << huge.refusal;
  EXPECT_NE(unbroken.find("ppp\\ondrel\\uninstall.exe"), std::string::npos) << huge.refusal;
  EXPECT_NE(unbroken.find("4021 characters"), std::string::npos) << huge.refusal;
}

TEST(InstallPlan, AShellFolderThatCannotBeHadRefusesTheWholeInstallation) {
  InstallInputs inputs = Inputs("C:\\Program Files");
  inputs.programsFolder = std::nullopt;
  PlanResult result = PlanInstallation(inputs);
  EXPECT_FALSE(result.plan.has_value());
  EXPECT_NE(result.refusal.find("Programs menu"), std::string::npos) << result.refusal;

  inputs = Inputs("C:\\Program Files");
  inputs.desktopFolder = std::nullopt;
  result = PlanInstallation(inputs);
  EXPECT_FALSE(result.plan.has_value());
  EXPECT_NE(result.refusal.find("desktop"), std::string::npos) << result.refusal;
}

TEST(ProgramFiles, OnlyAnAbsoluteValueIsUsed) {
  EXPECT_EQ(ChooseProgramFilesFolder(std::string("D:\\Apps")), "D:\\Apps");
  EXPECT_EQ(ChooseProgramFilesFolder(std::string("D:\\")), "D:\\");
  EXPECT_EQ(ChooseProgramFilesFolder(std::string("\\\\server\\share\\")), "\\\\server\\share\\");
  for (const char* value :
       {"", "D:", "Apps", "\\Apps", "D:Apps", "\\\\server\\", "%ProgramFiles%", "C:\\x\\..\\y"}) {
    EXPECT_EQ(ChooseProgramFilesFolder(std::string(value)), kFallbackProgramFiles) << value;
  }
  EXPECT_EQ(ChooseProgramFilesFolder(std::nullopt), kFallbackProgramFiles);
  // A value cut inside a double-byte character is no folder.
  EXPECT_EQ(ChooseProgramFilesFolder(std::string("D:\\Apps\x95"), setup::CodePage{932}),
            kFallbackProgramFiles);
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

TEST(MessageText, SaysWhatWasKeptForEachOutcome) {
  EXPECT_EQ(MessageText(InstallOutcome{}), "");

  InstallOutcome refused;
  refused.refusal = "The path\nC:\\long\nwould be too long.";
  InstallOutcome undone;
  undone.failure = "ondrel.exe could not be copied to C:\\x\\ondrel\\: Access denied.";
  InstallOutcome partlyUndone = undone;
  partlyUndone.notUndone = {"The new folder C:\\x\\ondrel\\ could not be removed."};
  InstallOutcome notStarted;
  notStarted.startFailure = "Access denied.";

  const struct {
    const InstallOutcome& outcome;
    bool installed;
    std::vector<std::string> named;
  } cases[] = {
      {refused, false, {"not installed", "nothing was changed", *refused.refusal}},
      {undone, false, {"not installed", *undone.failure, "back as it was"}},
      {partlyUndone, false, {*undone.failure, "not these changes", partlyUndone.notUndone[0]}},
      {notStarted, true, {"was installed", "could not be started", "Access denied."}},
  };
  for (const auto& c : cases) {
    const std::string text = MessageText(c.outcome);
    EXPECT_EQ(c.outcome.Installed(), c.installed) << text;
    for (const std::string& piece : c.named) EXPECT_NE(text.find(piece), std::string::npos) << text;
  }
  EXPECT_EQ(MessageText(partlyUndone).find("back as it was"), std::string::npos);
}

}  // namespace
}  // namespace ondrel::test
