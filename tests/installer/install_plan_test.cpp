#include "install_plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "install_report.h"
#include "wide_path.h"

namespace ondrel::test {
using namespace ondrel::installer;
namespace {

using setup::kMaxPathLength;

// A message text without the line breaks that long paths are given.
std::wstring Unbroken(std::wstring text) {
  text.erase(std::remove(text.begin(), text.end(), L'\n'), text.end());
  return text;
}

// A user whose name and download folder hold letters of no one code page.
const std::wstring kUser = L"C:\\users\\\u0141ukasz\u7528\u6237";
const std::wstring kDownloads = kUser + L"\\Downloads \u0141ukasz \u0417\u0430\u0433\u0440\u0443\u0437\u043a\u0438 \u4e0b\u8f7d";

InstallInputs Inputs(const std::wstring& programFiles) {
  return {kDownloads + L"\\installer.exe", programFiles,
          kUser + L"\\Start Menu\\Programs", kUser + L"\\Desktop"};
}

struct FolderCase {
  std::wstring programFiles;
  std::wstring expected;
};

void PrintTo(const FolderCase& folderCase, std::ostream* out) {
  *out << folderCase.programFiles.size() << " characters";
}

class InstallationFolderTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(InstallationFolderTest, AddsOneBackslashAndTheOndrelFolder) {
  const PlanResult result = PlanInstallation(Inputs(GetParam().programFiles));
  ASSERT_TRUE(result.plan.has_value()) << result.refusal;
  EXPECT_EQ(result.plan->installationFolder, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    ProgramFilesValues, InstallationFolderTest,
    ::testing::Values(FolderCase{L"C:\\Program Files", L"C:\\Program Files\\ondrel\\"},
                      FolderCase{L"C:\\Program Files\\", L"C:\\Program Files\\ondrel\\"},
                      FolderCase{L"c:\\program files\\", L"c:\\program files\\ondrel\\"},
                      FolderCase{L"D:\\", L"D:\\ondrel\\"},
                      FolderCase{L"D:\\\u041f\u0440\u043e\u0433\u0440\u0430\u043c\u043c\u044b",
                                 L"D:\\\u041f\u0440\u043e\u0433\u0440\u0430\u043c\u043c\u044b\\ondrel\\"}));

TEST(InstallPlan, EveryPathOfTheInstallation) {
  const PlanResult result = PlanInstallation(Inputs(L"C:\\Program Files"));
  ASSERT_TRUE(result.plan.has_value());
  const InstallPlan& plan = *result.plan;
  ASSERT_EQ(plan.copies.size(), 4u);
  EXPECT_EQ(plan.copies[0].source, kDownloads + L"\\license.txt");
  EXPECT_EQ(plan.copies[2].destination, L"C:\\Program Files\\ondrel\\uninstall.exe");
  EXPECT_EQ(plan.copies[3].name, L"ondrel.exe");
  EXPECT_EQ(plan.organiser, L"C:\\Program Files\\ondrel\\ondrel.exe");
  EXPECT_EQ(plan.uninstallString, L"\"C:\\Program Files\\ondrel\\uninstall.exe\"");
  EXPECT_EQ(plan.programsShortcut, kUser + L"\\Start Menu\\Programs\\Ondrel.lnk");
  EXPECT_EQ(plan.desktopShortcut, kUser + L"\\Desktop\\Ondrel.lnk");
}

// The installation folder's length decides: with 246 characters its longest
// file, "uninstall.exe", just fits; 247 to 249 once gave a partial
// installation, and 250 or more left even "ondrel.exe" out.
TEST(InstallPlan, RefusesWholeWhenTheLongestShippedFileWouldNotFit) {
  for (const std::size_t folderLength : {246u, 247u, 249u, 251u}) {
    // "C:\" + n + "\ondrel\" is n + 11 characters long.
    const std::wstring programFiles = L"C:\\" + std::wstring(folderLength - 11, L'p');
    const PlanResult result = PlanInstallation(Inputs(programFiles));
    if (folderLength + 13 <= kMaxPathLength) {
      ASSERT_TRUE(result.plan.has_value()) << folderLength;
      EXPECT_EQ(result.plan->installationFolder.size(), folderLength);
    } else {
      EXPECT_FALSE(result.plan.has_value()) << folderLength;
      EXPECT_NE(Unbroken(result.refusal).find(programFiles + L"\\ondrel\\uninstall.exe"),
                std::wstring::npos);
    }
  }
}

TEST(InstallPlan, RefusesWhenAShortcutOrACopySourceWouldNotFit) {
  InstallInputs inputs = Inputs(L"C:\\Program Files");
  inputs.desktopFolder = L"C:\\" + std::wstring(kMaxPathLength - 3 - 11 + 1, L'd');
  EXPECT_FALSE(PlanInstallation(inputs).plan.has_value());
  inputs = Inputs(L"C:\\Program Files");
  inputs.programsFolder = L"C:\\" + std::wstring(kMaxPathLength - 3 - 11 + 1, L'm');
  EXPECT_FALSE(PlanInstallation(inputs).plan.has_value());

  // An installer renamed "setup.exe" in a folder of 247 characters: its own
  // path fits, "uninstall.exe" beside it does not.
  inputs = Inputs(L"C:\\Program Files");
  inputs.installerPath = L"C:\\" + std::wstring(243, L's') + L"\\setup.exe";
  EXPECT_FALSE(PlanInstallation(inputs).plan.has_value());

  inputs.installerPath = std::nullopt;
  EXPECT_FALSE(PlanInstallation(inputs).plan.has_value());

  // A path of thousands of characters is named by its two ends only.
  const PlanResult huge = PlanInstallation(Inputs(L"C:\\" + std::wstring(3997, L'p')));
  ASSERT_FALSE(huge.plan.has_value());
  EXPECT_LT(huge.refusal.size(), 400u);
  const std::wstring unbroken = Unbroken(huge.refusal);
  EXPECT_NE(unbroken.find(L"C:\\ppp"), std::wstring::npos);
  EXPECT_NE(unbroken.find(L"ppp...ppp"), std::wstring::npos);
  EXPECT_NE(unbroken.find(L"ppp\\ondrel\\uninstall.exe"), std::wstring::npos);
  EXPECT_NE(unbroken.find(L"4021 characters"), std::wstring::npos);
}

TEST(InstallPlan, AShellFolderThatCannotBeHadRefusesTheWholeInstallation) {
  InstallInputs inputs = Inputs(L"C:\\Program Files");
  inputs.programsFolder = std::nullopt;
  PlanResult result = PlanInstallation(inputs);
  EXPECT_FALSE(result.plan.has_value());
  EXPECT_NE(result.refusal.find(L"Programs menu"), std::wstring::npos);

  inputs = Inputs(L"C:\\Program Files");
  inputs.desktopFolder = std::nullopt;
  result = PlanInstallation(inputs);
  EXPECT_FALSE(result.plan.has_value());
  EXPECT_NE(result.refusal.find(L"desktop"), std::wstring::npos);
}

TEST(ProgramFiles, OnlyAnAbsoluteValueIsUsed) {
  for (const wchar_t* value : {L"D:\\Apps", L"D:\\", L"\\\\server\\share\\", L"D:\\\u4e0b\u8f7d"}) {
    EXPECT_EQ(ChooseProgramFilesFolder(std::wstring(value)), value);
  }
  // The last: a value cut inside a character of two code units is no folder.
  for (const wchar_t* value : {L"", L"D:", L"Apps", L"\\Apps", L"D:Apps", L"\\\\server\\",
                               L"%ProgramFiles%", L"C:\\x\\..\\y", L"D:\\Apps\xD83D"}) {
    EXPECT_EQ(ChooseProgramFilesFolder(std::wstring(value)), kFallbackProgramFiles);
  }
  EXPECT_EQ(ChooseProgramFilesFolder(std::nullopt), kFallbackProgramFiles);
}

TEST(CommandLineForProgram, QuotesAPathWithABlank) {
  EXPECT_EQ(CommandLineForProgram(L"C:\\Program Files\\ondrel\\uninstall.exe"),
            L"\"C:\\Program Files\\ondrel\\uninstall.exe\"");
  EXPECT_EQ(CommandLineForProgram(L"D:\\ondrel\\uninstall.exe"), L"D:\\ondrel\\uninstall.exe");
}

TEST(ShippedFiles, AreCopiedInTableOrderAndFitTheirSlots) {
  const std::array<std::wstring_view, 4> expected = {L"license.txt", L"ondrel.lng",
                                                     L"uninstall.exe", L"ondrel.exe"};
  EXPECT_EQ(kShippedFiles, expected);
  for (const std::wstring_view name : kShippedFiles) EXPECT_LE(name.size(), 13u);
}

TEST(MessageText, SaysWhatWasKeptForEachOutcome) {
  EXPECT_EQ(MessageText(InstallOutcome{}), L"");

  InstallOutcome refused;
  refused.refusal = L"The path\nC:\\long\nwould be too long.";
  InstallOutcome undone;
  undone.failure = L"ondrel.exe could not be copied to C:\\x\\ondrel\\: Access denied.";
  InstallOutcome partlyUndone = undone;
  partlyUndone.notUndone = {L"The new folder C:\\x\\ondrel\\ could not be removed."};
  InstallOutcome notStarted;
  notStarted.startFailure = L"Access denied.";

  const struct {
    const InstallOutcome& outcome;
    bool installed;
    std::vector<std::wstring> named;
  } cases[] = {
      {refused, false, {L"not installed", L"nothing was changed", *refused.refusal}},
      {undone, false, {L"not installed", *undone.failure, L"back as it was"}},
      {partlyUndone, false, {*undone.failure, L"not these changes", partlyUndone.notUndone[0]}},
      {notStarted, true, {L"was installed", L"could not be started", L"Access denied."}},
  };
  for (const auto& c : cases) {
    const std::wstring text = MessageText(c.outcome);
    EXPECT_EQ(c.outcome.Installed(), c.installed);
    for (const std::wstring& piece : c.named) EXPECT_NE(text.find(piece), std::wstring::npos);
  }
  EXPECT_EQ(MessageText(partlyUndone).find(L"back as it was"), std::wstring::npos);
}

}  // namespace
}  // namespace ondrel::test
