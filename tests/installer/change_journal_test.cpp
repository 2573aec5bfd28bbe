// Runs the installation's file steps on real folders (under Wine) and fails
// each step in turn: the folder must then be exactly as before the run.
#include "change_journal.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>

#include "organiser/win32/kernel_handle.h"
#include "tests/support/temp_folder.h"

namespace ondrel::test {
using namespace ondrel::installer;
namespace {

constexpr std::array<const wchar_t*, 4> kNames = {L"license.txt", L"ondrel.lng",
                                                  L"uninstall.exe", L"ondrel.exe"};

// Every file of a folder with its bytes; nothing when there is no folder.
using Snapshot = std::optional<std::map<std::wstring, std::string>>;

Snapshot Take(const std::wstring& folder) {
  if (!std::filesystem::is_directory(folder)) return std::nullopt;
  std::map<std::wstring, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    files[entry.path().filename().wstring()] =
        std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return files;
}

void Write(const std::wstring& path, const std::string& bytes) {
  std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes;
}

std::string Narrow(const wchar_t* name) { return std::filesystem::path(name).u8string(); }

enum class Fault { kSourceGone, kDestinationHeld };

class ChangeJournalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CreateDirectoryW(source_.c_str(), nullptr));
    for (const wchar_t* name : kNames) Write(source_ + name, "new " + Narrow(name));
  }

  void MakeEarlierInstallation() {
    ASSERT_TRUE(CreateDirectoryW(target_.c_str(), nullptr));
    for (const wchar_t* name : kNames) Write(target_ + name, "old " + Narrow(name));
    Write(target_ + L"ondrel.db", "<Database></Database>");
  }

  // The installation's folder and copies, as the installer makes them.
  StepFailure Install(ChangeJournal& journal) const {
    if (StepFailure failure = journal.MakeFolder(target_)) return failure;
    for (const wchar_t* name : kNames) {
      const std::wstring source = source_ + name;
      if (StepFailure failure =
              journal.ReplaceFile(target_ + name, name, [&](const std::wstring& path) {
                return CopyFileW(source.c_str(), path.c_str(), TRUE) ? DWORD{ERROR_SUCCESS}
                                                                     : GetLastError();
              })) {
        return failure;
      }
    }
    return std::nullopt;
  }

  TempFolder temp_;
  // A download folder and an installation folder named in letters of no one
  // code page.
  const std::wstring source_ = temp_.path().wstring() + L"\\Downloads \u0141ukasz \u4e0b\u8f7d\\";
  const std::wstring target_ = temp_.path().wstring() + L"\\\u0417\u0430\u0433 ondrel\\";
};

TEST_F(ChangeJournalTest, AFailureAtAnyCopyLeavesTheFolderAsItWas) {
  for (const bool earlier : {false, true}) {
    for (const Fault fault : {Fault::kSourceGone, Fault::kDestinationHeld}) {
      if (fault == Fault::kDestinationHeld && !earlier) continue;
      for (std::size_t failAt = 0; failAt < kNames.size(); ++failAt) {
        SCOPED_TRACE(std::string(earlier ? "over an earlier installation" : "fresh") +
                     (fault == Fault::kSourceGone ? ", source gone: " : ", held: ") +
                     Narrow(kNames[failAt]));
        std::filesystem::remove_all(target_);
        if (earlier) MakeEarlierInstallation();
        const Snapshot before = Take(target_);
        const std::wstring source = source_ + kNames[failAt];
        if (fault == Fault::kSourceGone) DeleteFileW(source.c_str());
        // Held as a running program holds its file: it cannot be renamed.
        const FileHandle held(fault == Fault::kDestinationHeld
                                  ? CreateFileW((target_ + kNames[failAt]).c_str(), GENERIC_READ,
                                                FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)
                                  : INVALID_HANDLE_VALUE);

        ChangeJournal journal;
        const StepFailure failure = Install(journal);
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(failure->rfind(kNames[failAt], 0), 0u);
        EXPECT_TRUE(journal.Undo().empty());
        EXPECT_EQ(Take(target_), before);
        Write(source, "new " + Narrow(kNames[failAt]));
      }
    }
  }
}

TEST_F(ChangeJournalTest, CommitKeepsTheNewFilesAndTheUsersDatabaseAndNothingElse) {
  MakeEarlierInstallation();
  // As copied from a CD: the file set aside must still go.
  SetFileAttributesW((target_ + L"license.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  std::map<std::wstring, std::string> expected = {{L"ondrel.db", "<Database></Database>"}};
  for (const wchar_t* name : kNames) expected[name] = "new " + Narrow(name);
  ChangeJournal journal;
  ASSERT_EQ(Install(journal), std::nullopt);
  journal.Commit();
  EXPECT_EQ(Take(target_), expected) << "no earlier file set aside is left behind";
}

TEST_F(ChangeJournalTest, AnUndoThatFailsIsNamedAndTheRestIsStillUndone) {
  {
    ChangeJournal journal;
    ASSERT_EQ(journal.MakeFolder(target_), std::nullopt);
    journal.Record(L"The entry could not be put back.", [] { return false; });
    EXPECT_EQ(journal.Undo(), std::vector<std::wstring>{L"The entry could not be put back."});
    EXPECT_EQ(Take(target_), std::nullopt);
  }
  {
    ChangeJournal abandoned;  // neither committed nor undone, as after an exception
    ASSERT_EQ(Install(abandoned), std::nullopt);
  }
  EXPECT_EQ(Take(target_), std::nullopt);
}

// Undo takes the latest change back first: a file replaced twice ends as it
// was before the first replacement, and each recorded change is taken back
// while the changes made before it are still in place.
TEST_F(ChangeJournalTest, UndoTakesTheLatestChangeBackFirst) {
  const std::wstring file = target_ + L"ondrel.lng";
  std::vector<std::string> log;  // each recorded undo, with the file as it found it
  const auto record = [&](ChangeJournal& journal, const char* name) {
    journal.Record(L"", [this, &log, name] {
      const Snapshot now = Take(target_);
      const bool there = now && now->count(L"ondrel.lng") != 0;
      log.push_back(std::string(name) + ":" + (there ? now->at(L"ondrel.lng") : "none"));
      return true;
    });
  };
  const auto write = [](const char* bytes) {
    return [bytes](const std::wstring& path) {
      Write(path, bytes);
      return DWORD{ERROR_SUCCESS};
    };
  };
  ChangeJournal journal;
  ASSERT_EQ(journal.MakeFolder(target_), std::nullopt);
  record(journal, "first");
  ASSERT_EQ(journal.ReplaceFile(file, L"ondrel.lng", write("one")), std::nullopt);
  record(journal, "second");
  ASSERT_EQ(journal.ReplaceFile(file, L"ondrel.lng", write("two")), std::nullopt);
  record(journal, "third");
  EXPECT_TRUE(journal.Undo().empty());
  EXPECT_EQ(log, (std::vector<std::string>{"third:two", "second:one", "first:none"}));
  EXPECT_EQ(Take(target_), std::nullopt);
}

// A write that fails because a file now stands at the destination met a file
// that another program made there meanwhile: undo never deletes it, nor puts
// an earlier file over it (that one is kept under its new name and named). A
// file this run half wrote is taken back.
TEST_F(ChangeJournalTest, UndoKeepsAFileAnotherProgramMadeMeanwhile) {
  const std::wstring file = target_ + L"ondrel.exe";
  const struct {
    bool earlier;        // an earlier ondrel.exe was there before the run
    const char* bytes;   // written at the destination before the write fails
    DWORD error;         // the write's answer
    const char* kept;    // ondrel.exe after the undo; nullptr for none
    bool earlierAside;   // the earlier file kept under another name
  } cases[] = {
      {false, "theirs", ERROR_FILE_EXISTS, "theirs", false},
      {false, "theirs", ERROR_ALREADY_EXISTS, "theirs", false},
      {false, "half", ERROR_DISK_FULL, nullptr, false},
      {true, "theirs", ERROR_FILE_EXISTS, "theirs", true},
      {true, "theirs", ERROR_ALREADY_EXISTS, "theirs", true},
      {true, "half", ERROR_DISK_FULL, "earlier", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.earlier ? "over an earlier file, " : "fresh, ") + c.bytes + ", " +
                 std::to_string(c.error));
    std::filesystem::remove_all(target_);
    ASSERT_TRUE(CreateDirectoryW(target_.c_str(), nullptr));
    if (c.earlier) Write(file, "earlier");

    ChangeJournal journal;
    const StepFailure failure =
        journal.ReplaceFile(file, L"ondrel.exe", [&](const std::wstring& path) {
          Write(path, c.bytes);
          return c.error;
        });
    ASSERT_TRUE(failure.has_value());
    const std::vector<std::wstring> notUndone = journal.Undo();

    std::map<std::wstring, std::string> expected;
    if (c.kept) expected[L"ondrel.exe"] = c.kept;
    Snapshot after = Take(target_);
    ASSERT_TRUE(after.has_value());
    if (c.earlierAside) {
      ASSERT_EQ(notUndone.size(), 1u);
      EXPECT_NE(notUndone[0].find(L"could not be put back"), std::wstring::npos);
      // The one other file is the earlier one, under the name the sentence
      // gives, in the folder named with all its letters.
      std::wstring asideName;
      for (const auto& [name, bytes] : *after) {
        if (name != L"ondrel.exe") asideName = name;
      }
      std::wstring sentence = notUndone[0];  // without the breaks of its long paths
      sentence.erase(std::remove(sentence.begin(), sentence.end(), L'\n'), sentence.end());
      EXPECT_NE(sentence.find(target_ + asideName), std::wstring::npos);
      expected[asideName] = "earlier";
    } else {
      EXPECT_TRUE(notUndone.empty());
    }
    EXPECT_EQ(after, expected);
  }
}

// A file where the installation folder goes is no folder: the step fails
// and the file is left as it is.
TEST_F(ChangeJournalTest, AFileWhereTheFolderGoesIsNotTakenForIt) {
  const std::wstring folder = target_.substr(0, target_.size() - 1);
  Write(folder, "a file");
  for (const std::wstring& path : {folder, target_}) {
    ChangeJournal journal;
    const StepFailure failure = journal.MakeFolder(path);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->rfind(L"The folder", 0), 0u);
    EXPECT_TRUE(journal.Undo().empty());
  }
  std::ifstream in(std::filesystem::path(folder), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()),
            "a file");
}

}  // namespace
}  // namespace ondrel::test
