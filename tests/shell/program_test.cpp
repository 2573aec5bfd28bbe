// The real ondrel.exe from the build's dist folder, started as a user would:
// one copy at a time, its files found beside the executable whatever the
// current directory, a clean exit on WM_CLOSE, and saved data there in the
// next run.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/started_organiser.h"
#include "tests/support/temp_folder.h"

namespace ondrel::test {
namespace {

const std::wstring kDistFolder = L"" ONDREL_DIST_DIR_WIDE L"\\";

std::wstring WindowText(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CopyOrganiser(kDistFolder + L"ondrel.exe", kDistFolder, installFolder_));
    ASSERT_TRUE(TopLevelWindows(L"Ondrel", 0).empty()) << "another organiser is running";
  }

  TempFolder install_;
  TempFolder elsewhere_;
  const std::wstring installFolder_ = install_.Prefix();
  const std::wstring otherFolder_ = elsewhere_.Prefix();
  const std::wstring exe_ = installFolder_ + L"ondrel.exe";
};

TEST_F(ProgramTest, SecondCopyEndsAtOnceWhileTheFirstRuns) {
  StartedOrganiser first(exe_, otherFolder_);
  ASSERT_TRUE(first.started());
  const HWND window = first.WaitForMainWindow();
  ASSERT_NE(window, nullptr);

  StartedOrganiser second(exe_, otherFolder_);
  ASSERT_TRUE(second.started());
  EXPECT_EQ(second.WaitForExit(), 0u);
  EXPECT_TRUE(first.Running());
  EXPECT_EQ(TopLevelWindows(L"Ondrel", 0), std::vector<HWND>{window});

  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(first.WaitForExit(), 0u);

  // With the first copy gone, a new one starts normally.
  StartedOrganiser third(exe_, otherFolder_);
  const HWND thirdWindow = third.WaitForMainWindow();
  ASSERT_NE(thirdWindow, nullptr);
  PostMessageW(thirdWindow, WM_CLOSE, 0, 0);
  EXPECT_EQ(third.WaitForExit(), 0u);
}

TEST_F(ProgramTest, FindsItsFilesBesideTheExecutableAndKeepsSavedData) {
  const std::wstring subject = L"Saved in the first run";
  {
    StartedOrganiser copy(exe_, otherFolder_);
    const HWND window = copy.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowText(window), L"Ondrel Organiser");  // from the shipped ondrel.lng
    const HWND notes = GetDlgItem(window, 300);
    ASSERT_NE(notes, nullptr);
    EXPECT_EQ(WindowText(notes), L"Notes");

    // Type a note's subject and press Save, as a user does on the note page.
    const HWND subjectEdit = GetDlgItem(window, 110);
    const HWND saveButton = GetDlgItem(window, 102);
    ASSERT_NE(subjectEdit, nullptr);
    ASSERT_NE(saveButton, nullptr);
    SendMessageW(subjectEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(subject.c_str()));
    SendMessageW(saveButton, BM_CLICK, 0, 0);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(copy.WaitForExit(), 0u);
  }
  EXPECT_TRUE(HoldsText(ReadFileBytes(installFolder_ + L"ondrel.db"), subject));
  EXPECT_EQ(GetFileAttributesW((otherFolder_ + L"ondrel.db").c_str()), INVALID_FILE_ATTRIBUTES);

  StartedOrganiser next(exe_, otherFolder_);
  const HWND window = next.WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  const HWND noteList = GetDlgItem(window, 113);
  ASSERT_NE(noteList, nullptr);
  EXPECT_EQ(SendMessageW(noteList, LVM_GETITEMCOUNT, 0, 0), 1);
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(next.WaitForExit(), 0u);
}

}  // namespace
}  // namespace ondrel::test
