// Runs the installation's file steps on real folders (under Wine) and fails
// each step in turn: the folder must then be exactly as before the run.
#include "change_journal.h"

#include <gtest/gtest.h>
#include <windows.h>

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

constexpr std::array<const char*, 4> kNames = {"license.txt", "ondrel.lng", "uninstall.exe",
                                               "ondrel.exe"};

// Every file of a folder with its bytes; nothing when there is no folder.
using Snapshot = std::optional<std::map<std::string, std::string>>;

Snapshot Take(const std::string& folder) {
  if (!std::filesystem::is_directory(folder)) return std::nullopt;
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    files[entry.path().filename().string()] =
        std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return files;
}

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

enum class Fault { kSourceGone, kDestinationHeld };

class ChangeJournalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CreateDirectoryA(source_.c_str(), nullptr));
    for (const char* name : kNames) Write(source_ + name, std::string("new ") + name);
  }

  void MakeEarlierInstallation() {
    ASSERT_TRUE(CreateDirectoryA(target_.c_str(), nullptr));
    for (const char* name : kNames) Write(target_ + name, std::string("old ") + name);
    Write(target_ + "ondrel.db", "<Database></Database>");
  }

  // The installation's folder and copies, as the installer makes them.
  StepFailure Install(ChangeJournal& journal) const {
    if (StepFailure failure = journal.MakeFolder(target_)) return failure;
    for (const char* name : kNames) {
      const std::string source = source_ + name;
      if (StepFailure failure =
              journal.ReplaceFile(target_ + name, name, [&](const std::string& path) {
                return CopyFileA(source.c_str(), path.c_str(), TRUE) ? DWORD{ERROR_SUCCESS}
                                                                     : GetLastError();
              })) {
        return failure;
      }
    }
    return std::nullopt;
  }

  TempFolder temp_;
  const std::string source_ = temp_.path().string() + "\\dist\\";
  const std::string target_ = temp_.path().string() + "\\ondrel\\";
};

TEST_F(ChangeJournalTest, AFailureAtAnyCopyLeavesTheFolderAsItWas) {
  for (const bool earlier : {false, true}) {
    for (const Fault fault : {Fault::kSourceGone, Fault::kDestinationHeld}) {
      if (fault == Fault::kDestinationHeld && !earlier) continue;
      for (std::size_t failAt = 0; failAt < kNames.size(); ++failAt) {
        SCOPED_TRACE(std::string(earlier ? "over an earlier installation" : "fresh") +
                     (fault == Fault::kSourceGone ? ", source gone: " : ", held: ") +
                     kNames[failAt]);
        std::filesystem::remove_all(target_);
        if (earlier) MakeEarlierInstallation();
        const Snapshot before = Take(target_);
        const std::string source = source_ + kNames[failAt];
        if (fault == Fault::kSourceGone) DeleteFileA(source.c_str());
        // Held as a running program holds its file: it cannot be renamed.
        const FileHandle held(fault == Fault::kDestinationHeld
                                  ? CreateFileA((target_ + kNames[failAt]).c_str(), GENERIC_READ,
                                                FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)
                                  : INVALID_HANDLE_VALUE);

        ChangeJournal journal;
        const StepFailure failure = Install(journal);
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(failure->rfind(kNames[failAt], 0), 0u) << *failure;
        EXPECT_TRUE(journal.Undo().empty());
        EXPECT_EQ(Take(target_), before);
        Write(source, std::string("new ") + kNames[failAt]);
      }
    }
  }
}

TEST_F(ChangeJournalTest, CommitKeepsTheNewFilesAndTheUsersDatabaseAndNothingElse) {
  MakeEarlierInstallation();
  std::map<std::string, std::string> expected = {{"ondrel.db", "<Database></Database>"}};
  for (const char* name : kNames) expected[name] = std::string("new ") + name;
  ChangeJournal journal;
  ASSERT_EQ(Install(journal), std::nullopt);
  journal.Commit();
  EXPECT_EQ(Take(target_), expected) << "no earlier file set aside is left behind";
}

TEST_F(ChangeJournalTest, AnUndoThatFailsIsNamedAndTheRestIsStillUndone) {
  {
    ChangeJournal journal;
    ASSERT_EQ(journal.MakeFolder(target_), std::nullopt);
    journal.Record("The entry could not be put back.", [] { return false; });
    EXPECT_EQ(journal.Undo(), std::vector<std::string>{"The entry could not be put back."});
    EXPECT_EQ(Take(target_), std::nullopt);
  }
  {
    ChangeJournal abandoned;  // neither committed nor undone, as after an exception
    ASSERT_EQ(Install(abandoned), std::nullopt);
  }
  EXPECT_EQ(Take(target_), std::nullopt);
}

}  // namespace
}  // namespace ondrel::test
