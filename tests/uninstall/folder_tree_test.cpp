// Runs the folder-tree deletion on real folders (under Wine in the cross build).
#include "folder_tree.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace ondrel::test {
using namespace ondrel::uninstall;
namespace {

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeFile(const std::string& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
  const HANDLE file =
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  WriteFile(file, "data", 4, &written, nullptr);
  CloseHandle(file);
}

class FolderTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = base_ + "\\ondrel";
    ASSERT_TRUE(CreateDirectoryA(root_.c_str(), nullptr));
  }
  void TearDown() override {
    // Make anything the test left read-only deletable again, so that the
    // temporary folder can go.
    SetFileAttributesA((root_ + "\\locked\\readonly.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  }

  TempFolder temp_;
  // The uninstaller works in ANSI paths; the temporary folder's is plain ASCII.
  const std::string base_ = temp_.path().string();
  std::string root_;
};

TEST_F(FolderTreeTest, DeletesNestedFoldersAndHiddenAndSystemFiles) {
  ASSERT_TRUE(CreateDirectoryA((root_ + "\\a").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((root_ + "\\a\\b").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((root_ + "\\empty").c_str(), nullptr));
  MakeFile(root_ + "\\ondrel.db");
  MakeFile(root_ + "\\a\\hidden.txt", FILE_ATTRIBUTE_HIDDEN);
  MakeFile(root_ + "\\a\\b\\system.txt", FILE_ATTRIBUTE_SYSTEM);
  MakeFile(root_ + "\\a\\b\\no-extension");
  DeleteFolderTree(root_ + "\\");
  EXPECT_FALSE(Exists(root_));
  EXPECT_TRUE(Exists(base_)) << "the parent folder stays";
}

TEST_F(FolderTreeTest, ReadOnlyFileStaysWithTheFoldersThatHoldIt) {
  ASSERT_TRUE(CreateDirectoryA((root_ + "\\locked").c_str(), nullptr));
  MakeFile(root_ + "\\locked\\readonly.txt", FILE_ATTRIBUTE_READONLY);
  MakeFile(root_ + "\\other.txt");
  DeleteFolderTree(root_);
  EXPECT_TRUE(Exists(root_ + "\\locked\\readonly.txt"));
  EXPECT_FALSE(Exists(root_ + "\\other.txt"));
}

TEST_F(FolderTreeTest, FileInUseStaysAndTheRestGoes) {
  MakeFile(root_ + "\\in-use.txt");
  MakeFile(root_ + "\\free.txt");
  const HANDLE held = CreateFileA((root_ + "\\in-use.txt").c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  DeleteFolderTree(root_);
  EXPECT_TRUE(Exists(root_ + "\\in-use.txt"));
  EXPECT_FALSE(Exists(root_ + "\\free.txt"));
  EXPECT_EQ(RemainingEntries(root_), std::vector<std::string>{"in-use.txt"});
  CloseHandle(held);
}

TEST_F(FolderTreeTest, TheKeptFileStaysAndIsNotReportedAsRemaining) {
  ASSERT_TRUE(CreateDirectoryA((root_ + "\\sub").c_str(), nullptr));
  MakeFile(root_ + "\\UNINSTALL.EXE");
  MakeFile(root_ + "\\sub\\uninstall.exe");
  MakeFile(root_ + "\\ondrel.db");
  DeleteFolderTree(root_ + "\\", "uninstall.exe");
  EXPECT_TRUE(Exists(root_ + "\\UNINSTALL.EXE"));
  EXPECT_FALSE(Exists(root_ + "\\sub")) << "only the file directly in the folder is kept";
  EXPECT_TRUE(RemainingEntries(root_ + "\\", "uninstall.exe").empty());
  EXPECT_EQ(RemainingEntries(root_), std::vector<std::string>{"UNINSTALL.EXE"});
  DeleteFileA((root_ + "\\UNINSTALL.EXE").c_str());
  DeleteFolderTree(root_);
  EXPECT_TRUE(RemainingEntries(root_).empty()) << "a folder that is gone leaves nothing";
}

TEST_F(FolderTreeTest, AFileInPlaceOfTheFolderIsNotDeleted) {
  ASSERT_TRUE(RemoveDirectoryA(root_.c_str()));
  MakeFile(root_);
  DeleteFolderTree(root_);
  EXPECT_TRUE(Exists(root_));
  DeleteFileA(root_.c_str());
}

TEST_F(FolderTreeTest, MissingFolderIsNoError) {
  DeleteFolderTree(root_ + "\\not-there");
  EXPECT_TRUE(Exists(root_));
}

TEST_F(FolderTreeTest, EntryBeyondTheAnsiPathLimitIsSkippedNotCut) {
  // A nested folder whose full path exceeds MAX_PATH, made through the
  // wide API's long-path form; a cut path could name another file.
  std::wstring deep = L"\\\\?\\";
  for (const char c : root_) deep.push_back(static_cast<wchar_t>(c));
  std::wstring level(100, L'd');
  for (int i = 0; i < 3; ++i) {
    deep += L"\\" + level;
    ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
  }
  MakeFile(root_ + "\\short.txt");
  DeleteFolderTree(root_);
  EXPECT_FALSE(Exists(root_ + "\\short.txt"));
  EXPECT_TRUE(Exists(root_ + "\\" + std::string(100, 'd'))) << "the over-long branch stays";
  // Clear the branch with the wide API.
  for (int i = 0; i < 3; ++i) {
    RemoveDirectoryW(deep.c_str());
    deep.resize(deep.rfind(L'\\'));
  }
}

}  // namespace
}  // namespace ondrel::test
