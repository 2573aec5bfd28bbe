// Another program writes "ondrel.db" while the store has it loaded (a sync
// client, a restored backup, an editor): the next save keeps that version
// under a free backup name before it replaces the file, says which, and
// fails when it cannot keep it. Unchanged, rewritten with the same bytes or
// gone, the file is simply written.

#include <functional>
#include <ostream>
#include <string>

#include "tests/store/store_fixture.h"
#include "tests/support/test_name.h"

namespace ondrel::test {
namespace {

using Bytes = MemoryFileSystem::Bytes;

Text OneNote(TextView subject) {
  return u"<Database><Document><DocumentType>NoteDocument</DocumentType><CreateDate>01.02.2020 "
         u"10:00</CreateDate><ModifyDate>01.02.2020 10:00</ModifyDate><Subject>" +
         Text(subject) + u"</Subject></Document></Database>";
}

const Text kOurs = OneNote(u"Ours");
const Text kTheirs = OneNote(u"FromElsewhere");
const Text kOursAndMore = kOurs + u"\r\n";

Bytes WithOddByte(Bytes bytes) {
  bytes.push_back(0x7A);
  return bytes;
}

struct Case {
  const char* what;
  // What the other program does to the file (and its folder) in between.
  std::function<void(MemoryFileSystem& files, const Text& path)> meanwhile;
  bool saved;
  // The backup the save names ("" for none), and the bytes it must hold.
  const char16_t* backup;
  Bytes backupHolds;
};

const Case kCases[] = {
    {"nothing happened", [](MemoryFileSystem&, const Text&) {}, true, u"", {}},
    {"the same bytes written again in place",
     [](MemoryFileSystem& files, const Text& path) {
       files.Rewrite(path, LittleEndianBytes(kOurs));
     },
     true, u"", {}},
    {"an identical copy put in its place",
     [](MemoryFileSystem& files, const Text& path) { files.Put(path, LittleEndianBytes(kOurs)); },
     true, u"", {}},
    {"the file deleted",
     [](MemoryFileSystem& files, const Text& path) { files.Remove(path); }, true, u"", {}},
    {"another version put in its place",
     [](MemoryFileSystem& files, const Text& path) {
       files.Put(path, LittleEndianBytes(kTheirs));
     },
     true, u"ondrel.db.bak", LittleEndianBytes(kTheirs)},
    {"another version of the same size written in place",
     [](MemoryFileSystem& files, const Text& path) {
       files.Rewrite(path, LittleEndianBytes(OneNote(u"Ourz")));
     },
     true, u"ondrel.db.bak", LittleEndianBytes(OneNote(u"Ourz"))},
    {"another version with an odd last byte",
     [](MemoryFileSystem& files, const Text& path) {
       files.Put(path, WithOddByte(LittleEndianBytes(kTheirs)));
     },
     true, u"ondrel.db.bak", WithOddByte(LittleEndianBytes(kTheirs))},
    {"another version written in place",
     [](MemoryFileSystem& files, const Text& path) {
       files.Rewrite(path, LittleEndianBytes(kTheirs));
     },
     true, u"ondrel.db.bak", LittleEndianBytes(kTheirs)},
    {"another version, the first backup name taken by another copy",
     [](MemoryFileSystem& files, const Text& path) {
       files.Put(path + u".bak", LittleEndianBytes(u"older"));
       files.Put(path, LittleEndianBytes(kTheirs));
     },
     true, u"ondrel.db.1.bak", LittleEndianBytes(kTheirs)},
    {"another version already kept under the first backup name",
     [](MemoryFileSystem& files, const Text& path) {
       files.Put(path + u".bak", LittleEndianBytes(kTheirs));
       files.Put(path, LittleEndianBytes(kTheirs));
     },
     true, u"ondrel.db.bak", LittleEndianBytes(kTheirs)},
    {"another version whose backup cannot be written",
     [](MemoryFileSystem& files, const Text& path) {
       files.Put(path, LittleEndianBytes(kTheirs));
       files.FailAt(FailingStep::kCreate, u".bak.tmp");
     },
     false, u"", {}},
    {"the same records with text added at the end",
     [](MemoryFileSystem& files, const Text& path) {
       files.Rewrite(path, LittleEndianBytes(kOurs + u"\r\n"));
     },
     true, u"ondrel.db.bak", LittleEndianBytes(kOursAndMore)},
    {"another version, every backup name taken",
     [](MemoryFileSystem& files, const Text& path) {
       files.Put(path, LittleEndianBytes(kTheirs));
       files.Put(path + u".bak", LittleEndianBytes(u"older"));
       for (int n = 1; n < 1000; ++n) {
         const std::string number = std::to_string(n);
         files.Put(path + u"." + Text(number.begin(), number.end()) + u".bak",
                   LittleEndianBytes(u"older"));
       }
     },
     false, u"", {}},
    {"another version that cannot be read",
     [](MemoryFileSystem& files, const Text& path) {
       files.Put(path, LittleEndianBytes(kTheirs));
       files.MakeUnreadable(path);
     },
     false, u"", {}},
};

// Cases print by what they are.
void PrintTo(const Case& c, std::ostream* out) { *out << c.what; }

class ChangedFileTest : public StoreTest, public ::testing::WithParamInterface<Case> {};

TEST_P(ChangedFileTest, ASaveKeepsAnotherProgramsVersionBeforeReplacingIt) {
  const Case& c = GetParam();
  PutFile(kOurs);
  database_ = Reloaded();
  auto* note = static_cast<NoteDocument*>(database_->DocumentAt(0));
  c.meanwhile(files_, kPath);
  const Bytes before = files_.Exists(kPath) ? files_.Contents(kPath) : Bytes();
  const std::size_t filesBeforeSave = files_.FileCount();

  note->SetField(note->body(), TextView(u"edited"));
  EXPECT_EQ(database_->Save(note), c.saved);
  const Text backup = database_->TakeChangedFileBackup();
  EXPECT_EQ(backup, Text(c.backup));
  // Told once.
  EXPECT_EQ(database_->TakeChangedFileBackup(), Text());
  if (!c.backupHolds.empty()) {
    ASSERT_TRUE(files_.Exists(backup));
    EXPECT_EQ(files_.Contents(backup), c.backupHolds);
  }
  EXPECT_FALSE(files_.Exists(kPath + u".tmp"));
  EXPECT_FALSE(files_.Exists(kPath + u".bak.tmp"));
  if (!c.saved) {
    // Left exactly as the other program wrote it; the edit waits.
    EXPECT_EQ(files_.Contents(kPath), before);
    EXPECT_TRUE(note->IsDirty());
    EXPECT_EQ(files_.FileCount(), filesBeforeSave);  // no backup, no leftover
    return;
  }
  EXPECT_NE(FileText().find(u"<Body>edited</Body>"), Text::npos);
  EXPECT_EQ(FileText().find(u"FromElsewhere"), Text::npos);

  // The file is the store's own again: the next save keeps nothing more,
  // also when something writes the same bytes again first.
  files_.Rewrite(kPath, files_.Contents(kPath));
  const std::size_t filesBefore = files_.FileCount();
  note->SetField(note->body(), TextView(u"edited again"));
  EXPECT_TRUE(database_->Save(note));
  EXPECT_EQ(database_->TakeChangedFileBackup(), Text());
  EXPECT_EQ(files_.FileCount(), filesBefore);
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info) { return TestNameOf(info.param.what); }

INSTANTIATE_TEST_SUITE_P(Meanwhile, ChangedFileTest, ::testing::ValuesIn(kCases), CaseName);

using ChangedFileCasesTest = StoreTest;

TEST_F(ChangedFileCasesTest, AFileMadeAfterAStartWithoutOneIsKept) {
  ASSERT_EQ(lastLoad_.status, LoadResult::Status::kNoFile);
  PutFile(kTheirs);  // a sync client brings down the other computer's copy
  EXPECT_TRUE(database_->Save(NewNote(u"typed", u"", u"")));
  EXPECT_EQ(database_->TakeChangedFileBackup(), kPath + u".bak");
  EXPECT_EQ(files_.Contents(kPath + u".bak"), LittleEndianBytes(kTheirs));
  EXPECT_NE(FileText().find(u"typed"), Text::npos);
}

// A file not as the store writes it (hand-edited: a byte-order mark, line
// breaks around or between the blocks) is told by its bytes, not rebuilt
// from the records: written again unchanged it is no change, and one
// character more is another version.
TEST_F(ChangedFileCasesTest, AHandEditedFileIsToldByItsBytes) {
  const Text block = kOurs.substr(10, kOurs.size() - 21);
  const Text variants[] = {
      u"\uFEFF<Database>" + block + u"</Database>",
      u"<Database>\r\n" + block + u"</Database>",
      u"<Database>" + block + u"\r\n" + block + u"</Database>",
      u"<Database>" + block + u"</Database>\r\n",
      u"<Database>\r\n</Database>",
  };
  for (const Text& handEdited : variants) {
    for (const bool changed : {false, true}) {
      SCOPED_TRACE(std::string(changed ? "changed: " : "written again: ") +
                   std::to_string(&handEdited - variants));
      files_ = MemoryFileSystem();
      PutFile(handEdited);
      database_ = Reloaded();
      ASSERT_FALSE(lastLoad_.damaged);
      files_.Rewrite(kPath, LittleEndianBytes(changed ? handEdited + u" " : handEdited));
      EXPECT_TRUE(database_->Save(NewNote(u"typed", u"", u"")));
      EXPECT_EQ(database_->TakeChangedFileBackup(), changed ? kPath + u".bak" : Text());
    }
  }
}

// The other version is kept once: a write that fails after keeping it
// leaves it kept, and the retry neither copies it again nor tells twice.
TEST_F(ChangedFileCasesTest, AVersionKeptBeforeAFailedWriteIsKeptOnce) {
  PutFile(kOurs);
  database_ = Reloaded();
  PutFile(kTheirs);
  files_.FailAt(FailingStep::kReplace, kPath);
  Document* note = NewNote(u"typed", u"", u"");
  EXPECT_FALSE(database_->Save(note));
  EXPECT_EQ(files_.Contents(kPath), LittleEndianBytes(kTheirs));
  EXPECT_EQ(files_.Contents(kPath + u".bak"), LittleEndianBytes(kTheirs));
  files_.FailAt(FailingStep::kNone);
  const std::size_t filesBefore = files_.FileCount();
  EXPECT_TRUE(database_->Save(note));
  EXPECT_EQ(files_.FileCount(), filesBefore);
  EXPECT_EQ(database_->TakeChangedFileBackup(), kPath + u".bak");
  EXPECT_EQ(database_->TakeChangedFileBackup(), Text());
}

// A removal that cannot be written changes nothing the file lacks: the
// store is not behind the file afterwards, unless it was before.
TEST_F(ChangedFileCasesTest, AFailedRemovalLeavesTheFileAsFarBehindAsBefore) {
  for (const bool behindBefore : {false, true}) {
    SCOPED_TRACE(behindBefore ? "after a failed save" : "all saved");
    files_ = MemoryFileSystem();
    PutFile(kOurs);
    database_ = Reloaded();
    files_.FailAt(FailingStep::kCreate, u".tmp");
    if (behindBefore) {
      EXPECT_FALSE(database_->Save(NewNote(u"unsaved", u"", u"")));
    }
    Document* note = database_->DocumentAt(0);
    EXPECT_FALSE(database_->DeleteAndSave(note));
    EXPECT_FALSE(note->IsDirty());
    EXPECT_FALSE(note->IsDeleted());
    EXPECT_EQ(database_->IsFileBehind(), behindBefore);
  }
}

}  // namespace
}  // namespace ondrel::test
