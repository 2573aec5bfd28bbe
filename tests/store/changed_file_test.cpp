// Another program writes "ondrel.db" while the store has it loaded (a sync
// client, a restored backup, an editor): the next save keeps that version
// under a free backup name before it replaces the file, says which, and
// fails when it cannot keep it. Unchanged, rewritten with the same bytes or
// gone, the file is simply written.

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

Bytes Ours() { return LittleEndianBytes(kOurs); }
Bytes Theirs() { return LittleEndianBytes(kTheirs); }
Bytes WithOddByte(Bytes bytes) {
  bytes.push_back(0x7A);
  return bytes;
}

// What the other program does to the file in between.
enum class Act { kNothing, kRewrite /* in place */, kPut /* a new file renamed over it */, kRemove };

struct Case {
  const char* what;
  Act act;
  Bytes written;     // what it writes
  int olderCopies;   // backup names taken by other copies, from ".bak" on
  bool keptAlready;  // ".bak" holds what it writes already
  bool backupFails;
  bool unreadable;
  bool saved;
  const char16_t* backup;  // named by the save and holding `written`; "" for none
};

const Case kCases[] = {
    {"nothing happened", Act::kNothing, {}, 0, false, false, false, true, u""},
    {"the same bytes written again in place", Act::kRewrite, Ours(), 0, false, false, false, true, u""},
    {"an identical copy put in its place", Act::kPut, Ours(), 0, false, false, false, true, u""},
    {"the file deleted", Act::kRemove, {}, 0, false, false, false, true, u""},
    {"another version put in its place", Act::kPut, Theirs(), 0, false, false, false, true,
     u"ondrel.db.bak"},
    {"another version written in place", Act::kRewrite, Theirs(), 0, false, false, false, true,
     u"ondrel.db.bak"},
    {"another version of the same size", Act::kRewrite, LittleEndianBytes(OneNote(u"Ourz")), 0,
     false, false, false, true, u"ondrel.db.bak"},
    {"another version with an odd last byte", Act::kPut, WithOddByte(Theirs()), 0, false, false,
     false, true, u"ondrel.db.bak"},
    {"the same records with text added at the end", Act::kRewrite,
     LittleEndianBytes(kOurs + u"\r\n"), 0, false, false, false, true, u"ondrel.db.bak"},
    {"the first backup name taken by another copy", Act::kPut, Theirs(), 1, false, false, false,
     true, u"ondrel.db.1.bak"},
    {"already kept under the first backup name", Act::kPut, Theirs(), 0, true, false, false, true,
     u"ondrel.db.bak"},
    {"every backup name taken", Act::kPut, Theirs(), 1000, false, false, false, false, u""},
    {"a backup that cannot be written", Act::kPut, Theirs(), 0, false, true, false, false, u""},
    {"another version that cannot be read", Act::kPut, Theirs(), 0, false, false, true, false, u""},
};

// Cases print by what they are.
void PrintTo(const Case& c, std::ostream* out) { *out << c.what; }

Text BackupName(int n) {
  const std::string number = std::to_string(n);
  return n == 0 ? Text(u"ondrel.db.bak") : u"ondrel.db." + Text(number.begin(), number.end()) + u".bak";
}

// Plays the other program of case c on the file at path.
void Meanwhile(const Case& c, MemoryFileSystem& files, const Text& path) {
  for (int n = 0; n < c.olderCopies; ++n) files.Put(BackupName(n), LittleEndianBytes(u"older"));
  if (c.keptAlready) files.Put(BackupName(0), c.written);
  switch (c.act) {
    case Act::kNothing: break;
    case Act::kRewrite: files.Rewrite(path, c.written); break;
    case Act::kPut: files.Put(path, c.written); break;
    case Act::kRemove: files.Remove(path); break;
  }
  if (c.backupFails) files.FailAt(FailingStep::kCreate, u".bak.tmp");
  if (c.unreadable) files.MakeUnreadable(path);
}

class ChangedFileTest : public StoreTest, public ::testing::WithParamInterface<Case> {};

TEST_P(ChangedFileTest, ASaveKeepsAnotherProgramsVersionBeforeReplacingIt) {
  const Case& c = GetParam();
  PutFile(kOurs);
  database_ = Reloaded();
  auto* note = static_cast<NoteDocument*>(database_->DocumentAt(0));
  Meanwhile(c, files_, kPath);
  const Bytes before = files_.Exists(kPath) ? files_.Contents(kPath) : Bytes();
  const std::size_t filesBeforeSave = files_.FileCount();

  note->SetField(note->body(), TextView(u"edited"));
  EXPECT_EQ(database_->Save(note), c.saved);
  const Text backup = database_->TakeChangedFileBackup();
  EXPECT_EQ(backup, Text(c.backup));
  // Told once.
  EXPECT_EQ(database_->TakeChangedFileBackup(), Text());
  if (!backup.empty()) {
    ASSERT_TRUE(files_.Exists(backup));
    EXPECT_EQ(files_.Contents(backup), c.written);
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
