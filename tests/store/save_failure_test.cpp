// Fault injection by count: the n-th file-system call of a save or a load
// fails, for every n until the operation runs clean. After each, the file
// is byte for byte the old or the new one, no temporary file is left, and a
// document is dirty exactly when the file does not hold it as it is.

#include <algorithm>
#include <functional>
#include <string>

#include "tests/store/store_fixture.h"

namespace ondrel::test {
namespace {

using Bytes = MemoryFileSystem::Bytes;

const Text kThree =
    u"<Database><Document><DocumentType>NoteDocument</DocumentType><CreateDate>01.02.2020 "
    u"10:00</CreateDate><ModifyDate>01.02.2020 10:00</ModifyDate><Subject>note</Subject>"
    u"</Document><Document><DocumentType>PasswordDocument</DocumentType><CreateDate>02.02.2020 "
    u"10:00</CreateDate><ModifyDate>02.02.2020 10:00</ModifyDate><Site>site</Site></Document>"
    u"<Document><DocumentType>PhoneDocument</DocumentType><CreateDate>03.02.2020 10:00"
    u"</CreateDate><ModifyDate>03.02.2020 10:00</ModifyDate><LastName>Doe</LastName></Document>"
    u"</Database>";

struct Operation {
  const char* name;
  std::function<bool(Database&)> run;
};

const Operation kSaves[] = {
    {"edit",
     [](Database& database) {
       auto* note = static_cast<NoteDocument*>(database.DocumentAt(0));
       note->SetField(note->body(), TextView(u"new body"));
       return database.Save(note);
     }},
    {"create",
     [](Database& database) {
       auto* note = static_cast<NoteDocument*>(database.CreateDocument(NoteDocument::kTypeName));
       note->SetField(note->subject(), TextView(u"created"));
       return database.Save(note);
     }},
    {"remove", [](Database& database) { return database.DeleteAndSave(database.DocumentAt(1)); }},
};

bool Contains(const Bytes& file, TextView block) {
  const Bytes probe = LittleEndianBytes(block);
  return std::search(file.begin(), file.end(), probe.begin(), probe.end()) != file.end();
}

class FaultByCountTest : public StoreTest {
 protected:
  // Every document is dirty exactly when the file does not hold it as it
  // is in memory (a removed one: when the file still holds it).
  void ExpectDirtyExactlyWhereTheFileDiffers(Database& database) {
    const Bytes& file = files_.Contents(kPath);
    for (std::uint32_t i = 0; i < database.DocumentCount(); ++i) {
      Document* document = database.DocumentAt(i);
      const bool inFile = Contains(file, document->StoredText());
      const bool holds =
          document->IsDeleted() ? !inFile : inFile && !document->StoredText().empty();
      EXPECT_EQ(document->IsDirty(), !holds) << "document " << i;
    }
  }

  void ExpectNoTemporaryFile() {
    EXPECT_FALSE(files_.Exists(kPath + u".tmp"));
    EXPECT_FALSE(files_.Exists(kPath + u".bak.tmp"));
  }
};

TEST_F(FaultByCountTest, ASaveFailingAtAnyCallLeavesTheOldFileAndARetryWritesTheSameNewOne) {
  for (const Operation& operation : kSaves) {
    SCOPED_TRACE(operation.name);
    const Bytes old = LittleEndianBytes(kThree);
    // The file a clean run writes.
    files_ = MemoryFileSystem();
    files_.Put(kPath, old);
    database_ = Reloaded();
    ASSERT_TRUE(operation.run(*database_));
    const Bytes fresh = files_.Contents(kPath);
    ASSERT_NE(fresh, old);

    for (std::size_t n = 1;; ++n) {
      SCOPED_TRACE("failing call " + std::to_string(n));
      files_ = MemoryFileSystem();
      files_.Put(kPath, old);
      clock_.Set(At(5, 3, 2024, 9, 7));
      database_ = Reloaded();
      files_.FailCall(n);
      const std::size_t callsBefore = files_.CallCount();
      const bool saved = operation.run(*database_);
      files_.FailCall(0);
      if (files_.CallCount() - callsBefore < n) {  // nothing failed: done
        EXPECT_TRUE(saved);
        EXPECT_EQ(files_.Contents(kPath), fresh);
        break;
      }
      if (saved) {
        // Only a look at a stamp may fail without failing the save: the
        // bytes then decide, and they are the store's own.
        EXPECT_TRUE(files_.LookFailedByCount());
        EXPECT_EQ(files_.Contents(kPath), fresh);
        ExpectNoTemporaryFile();
        continue;
      }
      EXPECT_FALSE(saved);
      // A removal that failed is undone: memory holds nothing the file
      // lacks.
      const bool removal = std::string(operation.name) == "remove";
      EXPECT_EQ(database_->IsFileBehind(), !removal);
      EXPECT_EQ(files_.Contents(kPath), old);
      ExpectNoTemporaryFile();
      EXPECT_EQ(files_.FileCount(), 1u);
      ExpectDirtyExactlyWhereTheFileDiffers(*database_);

      // Later, the save of a record nobody touched catches the file up: it
      // writes the others as they were, with no new stamp. A removal that
      // failed was undone, so the file keeps that record.
      clock_.Set(At(6, 4, 2025, 10, 0));
      EXPECT_TRUE(database_->Save(database_->DocumentAt(2)));
      EXPECT_EQ(files_.Contents(kPath), removal ? old : fresh);
      EXPECT_FALSE(database_->IsFileBehind());
      ExpectDirtyExactlyWhereTheFileDiffers(*database_);
      ASSERT_LT(n, 50u);
    }
  }
}

TEST_F(FaultByCountTest, ALoadFailingAtAnyCallNeverLetsASaveLoseTheOldFile) {
  const Text damagedText = kThree + u"stray";
  for (const Text& text : {kThree, damagedText}) {
    SCOPED_TRACE(text == kThree ? "whole file" : "damaged file");
    const Bytes old = LittleEndianBytes(text);
    for (std::size_t n = 1;; ++n) {
      SCOPED_TRACE("failing call " + std::to_string(n));
      files_ = MemoryFileSystem();
      files_.Put(kPath, old);
      files_.FailCall(n);
      database_ = Reloaded();
      const bool failedCall = files_.CallCount() >= n;
      files_.FailCall(0);
      EXPECT_EQ(files_.Contents(kPath), old);
      ExpectNoTemporaryFile();

      if (lastLoad_.status == LoadResult::Status::kCouldNotRead) {
        EXPECT_EQ(n, 2u);  // only the read of the file itself, after the look at its stamp
        EXPECT_EQ(database_->DocumentCount(), 0u);
        EXPECT_FALSE(database_->Save(NewNote(u"typed", u"", u"")));
        EXPECT_EQ(files_.Contents(kPath), old);
        EXPECT_EQ(files_.FileCount(), 1u);
        continue;
      }
      ASSERT_EQ(lastLoad_.status, LoadResult::Status::kRead);
      EXPECT_EQ(database_->DocumentCount(), 3u);
      EXPECT_EQ(lastLoad_.damaged, text != kThree);

      // The first save replaces the file only when a copy of it is kept.
      NoteDocument* typed = NewNote(u"typed", u"", u"");
      ASSERT_TRUE(database_->Save(typed));
      EXPECT_NE(files_.Contents(kPath), old);
      if (lastLoad_.damaged) {
        EXPECT_EQ(files_.Contents(lastLoad_.backupPath), old);
      }
      ExpectNoTemporaryFile();
      if (!failedCall) break;
      ASSERT_LT(n, 50u);
    }
  }
}

// A store larger than one write goes out in several pieces, and a note
// larger than the writer's buffer in a write of its own; a disk that fills
// up at any of them still leaves the old file whole.
TEST_F(FaultByCountTest, ALargeStoreIsWrittenWholeOrNotAtAll) {
  for (int i = 0; i < 12; ++i) {
    const std::size_t length = i == 5 ? 700000 : 100000 + i;  // 1.4 MB, past the buffer
    NewNote(u"note", u"", Text(length, static_cast<char16_t>(u'a' + i)));
  }
  ASSERT_TRUE(database_->Save(nullptr));
  Bytes before = files_.Contents(kPath);
  ASSERT_GT(before.size(), 3u << 20);

  auto* last = static_cast<NoteDocument*>(database_->DocumentAt(11));
  last->SetField(last->subject(), TextView(u"changed"));
  for (std::size_t n = 1;; ++n) {
    files_.FailCall(n);
    const std::size_t callsBefore = files_.CallCount();
    const bool saved = database_->Save(last);
    files_.FailCall(0);
    if (files_.CallCount() - callsBefore < n) {
      EXPECT_TRUE(saved);
      EXPECT_GT(n, 6u);  // several writes were failed in turn
      break;
    }
    if (saved) {
      // A failed look at a stamp: the bytes decided, and the file was
      // written whole. The note changes again for the next call to fail.
      EXPECT_TRUE(files_.LookFailedByCount()) << "failing call " << n;
      before = files_.Contents(kPath);
      last->SetField(last->subject(), TextView(n % 2 == 0 ? u"changed" : u"changed again"));
      continue;
    }
    EXPECT_FALSE(saved) << "failing call " << n;
    EXPECT_TRUE(database_->IsFileBehind());
    EXPECT_EQ(files_.Contents(kPath), before);
    EXPECT_EQ(files_.FileCount(), 1u);
    ASSERT_LT(n, 30u);
  }
  Text expected = u"<Database>";
  for (std::uint32_t i = 0; i < database_->DocumentCount(); ++i) {
    expected += database_->DocumentAt(i)->GetText();
  }
  expected += u"</Database>";
  EXPECT_EQ(files_.Contents(kPath), LittleEndianBytes(expected));
}

TEST(WriteFileAtomicallyTest, ReplacesTheWholeFileOrNothing) {
  const Text path = u"folder/file";
  const unsigned char data[] = {1, 2, 3, 4};
  for (std::size_t n = 1;; ++n) {
    MemoryFileSystem files;
    files.Put(path, {9, 9, 9});
    files.FailCall(n);
    const bool written = WriteFileAtomically(files, path, data, sizeof data);
    EXPECT_FALSE(files.Exists(path + u".tmp"));
    EXPECT_EQ(files.FileCount(), 1u);
    if (files.CallCount() < n) {
      EXPECT_TRUE(written);
      EXPECT_EQ(files.Contents(path), (MemoryFileSystem::Bytes{1, 2, 3, 4}));
      break;
    }
    EXPECT_FALSE(written) << "failing call " << n;
    EXPECT_EQ(files.Contents(path), (MemoryFileSystem::Bytes{9, 9, 9}));
  }
}

}  // namespace
}  // namespace ondrel::test
