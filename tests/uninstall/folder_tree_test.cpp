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

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeFile(const std::wstring& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
  const HANDLE file =
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, "data", 4, &written, nullptr);
  CloseHandle(file);
}

class FolderTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CreateDirectoryW(base_.c_str(), nullptr));
    root_ = base_ + L"\\ondrel";
    ASSERT_TRUE(CreateDirectoryW(root_.c_str(), nullptr));
  }
  void TearDown() override {
    // Make anything the test left read-only deletable again, so that the
    // temporary folder can go.
    SetFileAttributesW((root_ + L"\\locked\\readonly.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  }

  TempFolder temp_;
  // A program-files folder named in letters of no one code page.
  const std::wstring base_ = temp_.path().wstring() + L"\\\u041f\u0440\u043e\u0433 \u0141 \u4e0b";
  std::wstring root_;
};

TEST_F(FolderTreeTest, DeletesNestedFoldersAndHiddenAndSystemFiles) {
  ASSERT_TRUE(CreateDirectoryW((root_ + L"\\a").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((root_ + L"\\a\\\u0417\u0430\u0433").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((root_ + L"\\empty").c_str(), nullptr));
  MakeFile(root_ + L"\\ondrel.db");
  MakeFile(root_ + L"\\a\\hidden.txt", FILE_ATTRIBUTE_HIDDEN);
  MakeFile(root_ + L"\\a\\\u0417\u0430\u0433\\system.txt", FILE_ATTRIBUTE_SYSTEM);
  MakeFile(root_ + L"\\a\\\u0417\u0430\u0433\\\u4e0b\U0001F600");
  DeleteFolderTree(root_ + L"\\");
  EXPECT_FALSE(Exists(root_));
  EXPECT_TRUE(Exists(base_)) << "the parent folder stays";
}

TEST_F(FolderTreeTest, ReadOnlyFileStaysWithTheFoldersThatHoldIt) {
  ASSERT_TRUE(CreateDirectoryW((root_ + L"\\locked").c_str(), nullptr));
  MakeFile(root_ + L"\\locked\\readonly.txt", FILE_ATTRIBUTE_READONLY);
  MakeFile(root_ + L"\\other.txt");
  DeleteFolderTree(root_);
  EXPECT_TRUE(Exists(root_ + L"\\locked\\readonly.txt"));
  EXPECT_FALSE(Exists(root_ + L"\\other.txt"));
}

TEST_F(FolderTreeTest, FileInUseStaysAndTheRestGoes) {
  const std::wstring inUse = L"\u0141\u4e0b in-use.txt";
  MakeFile(root_ + L"\\" + inUse);
  MakeFile(root_ + L"\\free.txt");
  const HANDLE held = CreateFileW((root_ + L"\\" + inUse).c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  DeleteFolderTree(root_);
  EXPECT_TRUE(Exists(root_ + L"\\" + inUse));
  EXPECT_FALSE(Exists(root_ + L"\\free.txt"));
  EXPECT_EQ(RemainingEntries(root_), std::vector<std::wstring>{inUse});
  CloseHandle(held);
}

// A folder that another program holds so that it cannot be listed (a backup
// or an indexer opened it without sharing) may hold anything: it counts as
// not empty, and nothing in it is deleted. Once let go, it is.
TEST_F(FolderTreeTest, AFolderThatCannotBeListedIsNotEmpty) {
  MakeFile(root_ + L"\\ondrel.db");
  {
    const HANDLE held = CreateFileW(root_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    DeleteFolderTree(root_);
    EXPECT_TRUE(Exists(root_ + L"\\ondrel.db"));
    EXPECT_EQ(RemainingEntries(root_).size(), 1u);
    EXPECT_EQ(RemainingEntries(root_ + L"\\").size(), 1u);
    CloseHandle(held);
  }
  EXPECT_EQ(RemainingEntries(root_), std::vector<std::wstring>{L"ondrel.db"});
  DeleteFolderTree(root_);
  EXPECT_FALSE(Exists(root_));
}

TEST_F(FolderTreeTest, TheKeptFileStaysAndIsNotReportedAsRemaining) {
  ASSERT_TRUE(CreateDirectoryW((root_ + L"\\sub").c_str(), nullptr));
  MakeFile(root_ + L"\\UNINSTALL.EXE");
  MakeFile(root_ + L"\\sub\\uninstall.exe");
  MakeFile(root_ + L"\\ondrel.db");
  DeleteFolderTree(root_ + L"\\", L"uninstall.exe");
  EXPECT_TRUE(Exists(root_ + L"\\UNINSTALL.EXE"));
  EXPECT_FALSE(Exists(root_ + L"\\sub")) << "only the file directly in the folder is kept";
  EXPECT_TRUE(RemainingEntries(root_ + L"\\", L"uninstall.exe").empty());
  EXPECT_EQ(RemainingEntries(root_), std::vector<std::wstring>{L"UNINSTALL.EXE"});
  DeleteFileW((root_ + L"\\UNINSTALL.EXE").c_str());
  DeleteFolderTree(root_);
  EXPECT_TRUE(RemainingEntries(root_).empty()) << "a folder that is gone leaves nothing";
}

TEST_F(FolderTreeTest, AFileInPlaceOfTheFolderIsNotDeleted) {
  ASSERT_TRUE(RemoveDirectoryW(root_.c_str()));
  MakeFile(root_);
  DeleteFolderTree(root_);
  EXPECT_TRUE(Exists(root_));
  DeleteFileW(root_.c_str());
}

TEST_F(FolderTreeTest, MissingFolderIsNoError) {
  DeleteFolderTree(root_ + L"\\not-there");
  EXPECT_TRUE(Exists(root_));
}

TEST_F(FolderTreeTest, EntryBeyondThePathLimitIsSkippedNotCut) {
  // A nested folder whose full path exceeds MAX_PATH, made through the
  // long-path form; a cut path could name another file.
  std::wstring deep = L"\\\\?\\" + root_;
  std::wstring level(100, L'd');
  for (int i = 0; i < 3; ++i) {
    deep += L"\\" + level;
    ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
  }
  MakeFile(root_ + L"\\short.txt");
  DeleteFolderTree(root_);
  EXPECT_FALSE(Exists(root_ + L"\\short.txt"));
  EXPECT_TRUE(Exists(root_ + L"\\" + level)) << "the over-long branch stays";
  // Clear the branch with the wide API.
  for (int i = 0; i < 3; ++i) {
    RemoveDirectoryW(deep.c_str());
    deep.resize(deep.rfind(L'\\'));
  }
}

}  // namespace
}  // namespace ondrel::test
