// The platform's own files, in a temporary folder: what the store relies on
// from them, and a save through them.

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdio>
#include <filesystem>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include "organiser/platform/platform.h"
#include "organiser/store/database.h"
#include "organiser/store/document_kinds.h"
#include "organiser/store/utf16_bytes.h"
#include "tests/support/temp_folder.h"

namespace ondrel::test {
namespace {

using Bytes = std::vector<unsigned char>;

class PlatformFileSystemTest : public ::testing::Test {
 protected:
  std::unique_ptr<FileSystem> files_ = NewPlatformFileSystem();
  TempFolder folder_;
};

TEST_F(PlatformFileSystemTest, WritesReplacesAndReadsBackWholeFiles) {
  const Text path = folder_.File("data.bin");
  Bytes large(3 << 20);
  for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<unsigned char>(i * 7);
  ASSERT_TRUE(WriteFileAtomically(*files_, path, large.data(), large.size()));
  Bytes read;
  ASSERT_TRUE(files_->ReadAll(path, read));
  EXPECT_EQ(read, large);

  const unsigned char small[] = {1, 2, 3};
  ASSERT_TRUE(WriteFileAtomically(*files_, path, small, sizeof small));
  ASSERT_TRUE(files_->ReadAll(path, read));
  EXPECT_EQ(read, Bytes(small, small + 3));
  EXPECT_FALSE(folder_.Exists("data.bin.tmp"));

  ASSERT_TRUE(WriteFileAtomically(*files_, path, nullptr, 0));
  ASSERT_TRUE(files_->ReadAll(path, read));
  EXPECT_TRUE(read.empty());
}

TEST_F(PlatformFileSystemTest, MissingFilesAndFoldersFailCleanly) {
  Bytes read;
  EXPECT_FALSE(files_->ReadAll(folder_.File("missing"), read));
  EXPECT_FALSE(files_->ReadAll(folder_.path().u16string(), read));
  EXPECT_EQ(files_->OpenForWriting(folder_.File("no/such/folder")), nullptr);
  const unsigned char data[] = {1};
  EXPECT_FALSE(WriteFileAtomically(*files_, folder_.File("nofolder/file"), data, 1));
  EXPECT_FALSE(files_->Remove(folder_.File("missing")));
}

TEST_F(PlatformFileSystemTest, ReplaceRefusedByAFolderLeavesItAndRemovesTheTemporaryFile) {
  std::filesystem::create_directory(folder_.path() / "ondrel.db");
  const unsigned char data[] = {1, 2};
  EXPECT_FALSE(WriteFileAtomically(*files_, folder_.File("ondrel.db"), data, 2));
  EXPECT_TRUE(std::filesystem::is_directory(folder_.path() / "ondrel.db"));
  EXPECT_FALSE(folder_.Exists("ondrel.db.tmp"));
}

// The database is read straight into code units: sizes around the end of
// the expected buffer, odd sizes and a large file must all come back whole.
TEST_F(PlatformFileSystemTest, ReadsWholeFilesAsLittleEndianUnits) {
  std::vector<Bytes> files = {{}, {0x3C}, {0x3C, 0x00}, {0xFF, 0xFE, 0x3C, 0x00, 0xAC}};
  Bytes large((1 << 20) + 3);
  for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<unsigned char>(i * 13);
  files.push_back(large);
  const Text path = folder_.File("units.bin");
  for (const Bytes& bytes : files) {
    ASSERT_TRUE(WriteFileAtomically(*files_, path, bytes.data(), bytes.size()));
    FileUnits read;
    ASSERT_TRUE(files_->ReadAllUnits(path, read).read());
    Text expected;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
      expected.push_back(static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8));
    }
    ASSERT_EQ(Text(read.units()), expected) << bytes.size() << " bytes";
    ASSERT_EQ(read.hasOddByte(), bytes.size() % 2 != 0) << bytes.size() << " bytes";
    if (read.hasOddByte()) {
      EXPECT_EQ(read.oddByte(), bytes.back());
    }
  }
  FileUnits read;
  EXPECT_EQ(files_->ReadAllUnits(folder_.File("missing"), read).status,
            ReadResult::Status::kNoFile);
  const ReadResult folderRead = files_->ReadAllUnits(folder_.path().u16string(), read);
  EXPECT_EQ(folderRead.status, ReadResult::Status::kFailed);
  EXPECT_FALSE(folderRead.reason.empty());
}

// The kernel's process files report a size of 0 and hold more: a reader
// that stopped at the size reported at opening (a file that grows
// meanwhile, or whose size is misreported) would read nothing. Under Wine
// the same file is reached through drive Z:.
TEST_F(PlatformFileSystemTest, ReadsToTheRealEndOfAFileLongerThanItsReportedSize) {
#ifdef _WIN32
  const char* path = "Z:\\proc\\self\\cmdline";
#else
  const char* path = "/proc/self/cmdline";
#endif
  Bytes expected;
  if (std::FILE* file = std::fopen(path, "rb")) {
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
      expected.push_back(static_cast<unsigned char>(c));
    }
    std::fclose(file);
  }
  ASSERT_GT(expected.size(), 4u);
  const Text widePath(path, path + std::char_traits<char>::length(path));
  Bytes read;
  ASSERT_TRUE(files_->ReadAll(widePath, read));
  EXPECT_EQ(read, expected);
  FileUnits units;
  ASSERT_TRUE(files_->ReadAllUnits(widePath, units).read());
  EXPECT_EQ(units.units().size(), expected.size() / 2);
}

#ifdef _WIN32
// Another program holding the file without sharing (a backup or virus
// scanner) is waited for about two seconds; held longer, the file could
// not be read, and the platform says why.
TEST_F(PlatformFileSystemTest, AFileHeldWithoutSharingIsWaitedForBeforeItCounts) {
  const Text path = folder_.File("held.db");
  const unsigned char data[] = {0x3C, 0x00};
  ASSERT_TRUE(WriteFileAtomically(*files_, path, data, sizeof data));
  const std::wstring widePath(path.begin(), path.end());
  auto hold = [&widePath] {
    return CreateFileW(widePath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  };

  // Every step of a save and of a load waits for a short hold the same way.
  const Text from = folder_.File("new.db");
  const struct {
    const char* step;
    std::function<bool()> run;
  } steps[] = {
      {"read", [&] { FileUnits units; return files_->ReadAllUnits(path, units).read(); }},
      {"create over it", [&] { return files_->OpenForWriting(path) != nullptr; }},
      {"replace it", [&] {
         return WriteFileAtomically(*files_, from, data, sizeof data) &&
                files_->ReplaceAtomically(from, path);
       }},
      {"look at its stamp",
       [&] { return files_->StampOf(path).status == StampResult::Status::kFound; }},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.step);
    ASSERT_TRUE(WriteFileAtomically(*files_, path, data, sizeof data));
    HANDLE shortHold = hold();
    ASSERT_NE(shortHold, INVALID_HANDLE_VALUE);
    std::thread release([shortHold] {
      Sleep(500);
      CloseHandle(shortHold);
    });
    EXPECT_TRUE(step.run());
    release.join();
  }
  ASSERT_TRUE(WriteFileAtomically(*files_, path, data, sizeof data));
  FileUnits units;

  HANDLE held = hold();
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const ReadResult refused = files_->ReadAllUnits(path, units);
  CloseHandle(held);
  EXPECT_EQ(refused.status, ReadResult::Status::kFailed);
  EXPECT_FALSE(refused.reason.empty());
}
#endif

// A file with a byte-order mark and an odd last byte loads its documents,
// and the first save keeps the file as it was read, byte for byte, in the
// backup.
TEST_F(PlatformFileSystemTest, AnUnkeepableFileIsBackedUpByteForByte) {
  const Text block =
      u"<Document><DocumentType>NoteDocument</DocumentType><Subject>\u00DCbung</Subject>"
      u"</Document>";
  Bytes bytes = {0xFF, 0xFE};
  for (char16_t unit : u"<Database>" + block + u"</Database>") {
    bytes.push_back(static_cast<unsigned char>(unit & 0xFF));
    bytes.push_back(static_cast<unsigned char>(unit >> 8));
  }
  bytes.push_back(0x7A);
  const Text path = folder_.File("ondrel.db");
  ASSERT_TRUE(WriteFileAtomically(*files_, path, bytes.data(), bytes.size()));

  FixedClock clock({2024, 3, 5, 9, 7});
  Database database(*files_, clock);
  const LoadResult loaded = database.Load(path);
  ASSERT_EQ(loaded.status, LoadResult::Status::kRead);
  EXPECT_TRUE(loaded.damaged);
  EXPECT_EQ(loaded.backupPath, path + u".bak");
  ASSERT_EQ(database.DocumentCount(), 1u);
  EXPECT_EQ(Text(database.DocumentAt(0)->StoredText()), block);
  Bytes backup;
  ASSERT_TRUE(files_->ReadAll(path + u".bak", backup));
  EXPECT_EQ(backup, bytes);
}

TEST_F(PlatformFileSystemTest, AStoreSavesAndReloadsThroughThePlatformFiles) {
  FixedClock clock({2024, 3, 5, 9, 7});
  const Text path = folder_.File("ondrel.db");
  // The temporary file of a save that a crash ended, longer than the next
  // save's: that save must leave exactly its own bytes.
  {
    std::unique_ptr<WritableFile> leftover = files_->OpenForWriting(path + u".tmp");
    ASSERT_NE(leftover, nullptr);
    const Bytes junk(10000, 0x41);
    ASSERT_TRUE(leftover->Write(junk.data(), junk.size()));
    ASSERT_TRUE(leftover->Close());
  }
  {
    Database database(*files_, clock);
    EXPECT_EQ(database.Load(path).status, LoadResult::Status::kNoFile);
    auto* note = static_cast<NoteDocument*>(database.CreateDocument(NoteDocument::kTypeName));
    note->SetField(note->subject(), TextView(u"\u00DCbung <1> & more"));
    ASSERT_TRUE(database.Save(note));
    Bytes written;
    ASSERT_TRUE(files_->ReadAll(path, written));
    EXPECT_EQ(written, LittleEndianBytes(u"<Database>" + note->GetText() + u"</Database>"));
  }
  Database reloaded(*files_, clock);
  ASSERT_EQ(reloaded.Load(path).status, LoadResult::Status::kRead);
  ASSERT_EQ(reloaded.DocumentCount(), 1u);
  EXPECT_EQ(static_cast<NoteDocument*>(reloaded.DocumentAt(0))->subject(),
            Text(u"\u00DCbung <1> & more"));
  EXPECT_EQ(std::filesystem::file_size(folder_.path() / "ondrel.db") % 2, 0u);
  EXPECT_FALSE(folder_.Exists("ondrel.db.tmp"));
}

}  // namespace
}  // namespace ondrel::test
