#include "organiser/store/database.h"

#include <string>
#include <utility>
#include <vector>

#include "tests/store/store_fixture.h"

namespace ondrel::test {
namespace {

constexpr TextView kExample =
    u"<Database><Document><DocumentType>NoteDocument</DocumentType><CreateDate>05.03.2024 "
    u"09:07</CreateDate><ModifyDate>05.03.2024 09:12</ModifyDate><Subject>Shopping</Subject>"
    u"<Keywords>home</Keywords><Body>milk</Body></Document></Database>";

Text NoteBlock(TextView subject, TextView modifyDate) {
  return u"<Document><DocumentType>NoteDocument</DocumentType><CreateDate>01.02.2020 "
         u"10:00</CreateDate><ModifyDate>" +
         Text(modifyDate) + u"</ModifyDate><Subject>" + Text(subject) +
         u"</Subject></Document>";
}

std::vector<Text> Subjects(Database& database) {
  std::vector<Text> subjects;
  PtrArray<Document> notes;
  database.ListDocuments(notes, NoteDocument::kTypeName);
  for (Document* document : notes) {
    subjects.push_back(static_cast<NoteDocument*>(document)->subject().value_or(u"(none)"));
  }
  return subjects;
}

class DatabaseTest : public StoreTest {};

TEST_F(DatabaseTest, WritesTheDocumentedExampleByteForByte) {
  ASSERT_EQ(kExample.size(), 234u);
  NoteDocument* note =
      static_cast<NoteDocument*>(database_->CreateDocument(NoteDocument::kTypeName));
  clock_.Set(At(5, 3, 2024, 9, 12));
  note->SetField(note->subject(), TextView(u"Shopping"));
  note->SetField(note->keywords(), TextView(u"home"));
  note->SetField(note->body(), TextView(u"milk"));
  ASSERT_TRUE(database_->Save(note));

  EXPECT_EQ(files_.Contents(kPath), LittleEndianBytes(kExample));
  EXPECT_EQ(files_.Contents(kPath).size(), 468u);
  EXPECT_FALSE(files_.Exists(kPath + u".bak"));
  EXPECT_FALSE(files_.Exists(kPath + u".tmp"));
}

TEST_F(DatabaseTest, FirstStartHasNoFileAndTheFirstSaveWritesOneBlock) {
  EXPECT_FALSE(files_.Exists(kPath));
  EXPECT_EQ(lastLoad_.status, LoadResult::Status::kNoFile);
  EXPECT_FALSE(lastLoad_.damaged);
  EXPECT_EQ(database_->DocumentCount(), 0u);
  EXPECT_EQ(database_->DocumentAt(0), nullptr);
  // A new record with nothing typed has nothing to write.
  Document* untouched = database_->CreateDocument(NoteDocument::kTypeName);
  EXPECT_TRUE(database_->Save(untouched));
  EXPECT_FALSE(files_.Exists(kPath));
  EXPECT_FALSE(database_->IsFileBehind());
  EXPECT_EQ(database_->DocumentAt(1), nullptr);
  ASSERT_TRUE(database_->Save(NewNote(u"first", u"", u"")));
  Text file = FileText();
  EXPECT_EQ(file.find(u"<Document>"), file.rfind(u"<Document>"));
  EXPECT_EQ(Subjects(*Reloaded()), (std::vector<Text>{u"first"}));
}

// A save after a crash finds the temporary file of an earlier one, longer
// than its own: the file written must be exactly the new one.
TEST_F(DatabaseTest, ALeftoverTemporaryFileIsReplacedExactly) {
  files_.Put(kPath + u".tmp", MemoryFileSystem::Bytes(5000, 0x41));
  ASSERT_TRUE(database_->Save(NewNote(u"a", u"", u"")));
  EXPECT_EQ(Subjects(*Reloaded()), std::vector<Text>{u"a"});
  EXPECT_FALSE(lastLoad_.damaged);
  EXPECT_EQ(files_.FileCount(), 1u);
}

// Every step of writing the file can fail; each one fails the save, leaves
// the file byte for byte as it was and no temporary file beside it.
TEST_F(DatabaseTest, EachFailingStepOfAWriteFailsTheSaveAndKeepsTheFile) {
  for (const FailingStep step : {FailingStep::kCreate, FailingStep::kWrite, FailingStep::kPartialWrite,
                                 FailingStep::kFlush, FailingStep::kClose, FailingStep::kReplace}) {
    SCOPED_TRACE(static_cast<int>(step));
    PutFile(kExample);
    database_ = Reloaded();
    const MemoryFileSystem::Bytes before = files_.Contents(kPath);
    auto* note = static_cast<NoteDocument*>(database_->DocumentAt(0));
    note->SetField(note->body(), TextView(u"bread"));
    files_.FailAt(step);
    EXPECT_FALSE(database_->Save(note));
    files_.FailAt(FailingStep::kNone);
    EXPECT_EQ(files_.Contents(kPath), before);
    EXPECT_EQ(files_.FileCount(), 1u);
    EXPECT_TRUE(database_->IsFileBehind());
    EXPECT_TRUE(note->IsDirty());
  }
}

// The flags describe the last load and the last save, never an earlier one.
TEST_F(DatabaseTest, FlagsFollowTheLastLoadAndTheLastSave) {
  PutFile(kExample);
  database_ = Reloaded();
  auto* note = static_cast<NoteDocument*>(database_->DocumentAt(0));
  note->SetField(note->body(), TextView(u"bread"));
  files_.FailAt(FailingStep::kReplace);
  EXPECT_FALSE(database_->Save(note));
  EXPECT_TRUE(database_->IsFileBehind());
  EXPECT_TRUE(note->IsDirty());
  files_.FailAt(FailingStep::kNone);
  EXPECT_TRUE(database_->Save(note));
  EXPECT_FALSE(database_->IsFileBehind());
  EXPECT_FALSE(note->IsDirty());
  const MemoryFileSystem::Bytes saved = files_.Contents(kPath);

  // Behind again, then loaded anew: the new load starts clean.
  note->SetField(note->body(), TextView(u"butter"));
  files_.FailAt(FailingStep::kWrite);
  EXPECT_FALSE(database_->Save(note));
  files_.FailAt(FailingStep::kNone);
  EXPECT_EQ(database_->Load(kPath).status, LoadResult::Status::kRead);
  EXPECT_FALSE(database_->IsFileBehind());
  EXPECT_FALSE(database_->RefusesSaves());

  // A load that could not read refuses saves; a good one after it does not.
  // (Call 1 looks at the file's stamp, call 2 reads it.)
  files_.FailCall(2);
  EXPECT_EQ(database_->Load(kPath).status, LoadResult::Status::kCouldNotRead);
  files_.FailCall(0);
  EXPECT_TRUE(database_->RefusesSaves());
  EXPECT_EQ(database_->DocumentCount(), 0u);
  EXPECT_EQ(database_->Load(kPath).status, LoadResult::Status::kRead);
  EXPECT_FALSE(database_->RefusesSaves());
  note = static_cast<NoteDocument*>(database_->DocumentAt(0));
  EXPECT_EQ(note->body(), Text(u"bread"));
  note->SetField(note->body(), TextView(u"jam"));
  EXPECT_TRUE(database_->Save(note));
  EXPECT_NE(files_.Contents(kPath), saved);
  EXPECT_EQ(files_.FileCount(), 1u);
}

TEST_F(DatabaseTest, SavingOneNoteLeavesEveryOtherBlockByteForByte) {
  const Text first = NoteBlock(u"one", u"01.02.2020 10:00");
  const Text second = NoteBlock(u"two", u"02.02.2020 11:00");
  const Text third = NoteBlock(u"three", u"03.02.2020 12:00");
  PutFile(u"<Database>" + first + second + third + u"</Database>");
  database_ = Reloaded();
  ASSERT_EQ(database_->DocumentCount(), 3u);

  clock_.Set(At(7, 7, 2024, 7, 7));
  auto* note = static_cast<NoteDocument*>(database_->DocumentAt(1));
  note->SetField(note->subject(), TextView(u"changed"));
  ASSERT_TRUE(database_->Save(note));

  Text file = FileText();
  ASSERT_EQ(file.rfind(u"<Database>" + first, 0), 0u);
  EXPECT_EQ(file.size() - file.rfind(third + u"</Database>"), third.size() + 11);
  EXPECT_NE(file.find(u"<ModifyDate>07.07.2024 07:07</ModifyDate><Subject>changed"),
            Text::npos);
  EXPECT_EQ(Subjects(*Reloaded()), (std::vector<Text>{u"one", u"changed", u"three"}));
}

TEST_F(DatabaseTest, RemovedDocumentsLeaveTheFileButStayListed) {
  NoteDocument* a = NewNote(u"a", u"", u"");
  ASSERT_TRUE(database_->Save(a));
  NoteDocument* b = NewNote(u"b", u"", u"");
  ASSERT_TRUE(database_->Save(b));

  ASSERT_TRUE(database_->DeleteAndSave(a));
  EXPECT_TRUE(a->IsDeleted());
  EXPECT_FALSE(a->IsDirty());
  EXPECT_EQ(Subjects(*database_), (std::vector<Text>{u"a", u"b"}));
  EXPECT_EQ(Subjects(*Reloaded()), std::vector<Text>{u"b"});

  ASSERT_TRUE(database_->DeleteAndSave(b));
  EXPECT_EQ(FileText(), u"<Database></Database>");
  EXPECT_EQ(files_.Contents(kPath).size(), 42u);
  EXPECT_EQ(b->subject(), Text(u"b"));  // fields stay readable
}

TEST_F(DatabaseTest, ListsByExactKindAndEverythingWithoutKind) {
  NewNote(u"n", u"", u"");
  database_->CreateDocument(PasswordDocument::kTypeName);
  database_->CreateDocument(PhoneDocument::kTypeName);
  PtrArray<Document> listed;
  database_->ListDocuments(listed, PasswordDocument::kTypeName);
  ASSERT_EQ(listed.count(), 1u);
  EXPECT_EQ(listed[0], database_->DocumentAt(1));
  database_->ListDocuments(listed, nullptr);
  EXPECT_EQ(listed.count(), 3u);
  database_->ListDocuments(listed, u"Document");
  EXPECT_EQ(listed.count(), 0u);
}

// Blanks, line ends and the database's own tags between blocks, and a
// byte-order mark in front, are what other editors leave: such a file is
// whole, and no backup is made of it. Any other text there is kept in one.
TEST_F(DatabaseTest, ByteOrderMarkAndTextBetweenBlocksLoadTheSameDocuments) {
  const Text blocks[] = {NoteBlock(u"one", u"01.02.2020 10:00"),
                         NoteBlock(u"two", u"02.02.2020 11:00")};
  struct Variant {
    const char* what;
    Text text;
    bool damaged;
  };
  const Variant variants[] = {
      {"as written", u"<Database>" + blocks[0] + blocks[1] + u"</Database>", false},
      {"byte-order mark", u"\xFEFF<Database>" + blocks[0] + blocks[1] + u"</Database>", false},
      {"CRLF, blanks and tabs",
       u"<Database>\r\n  " + blocks[0] + u"\r\n\t" + blocks[1] + u"\r\n</Database>\r\n", false},
      {"no database tags", blocks[0] + blocks[1], false},
      {"tags twice", u"<Database><Database>" + blocks[0] + u"</Database>" + blocks[1], false},
      {"text all round", u"junk" + blocks[0] + u"more junk" + blocks[1] + u"tail", true},
      {"one unit after the opening tag", u"<Database>x" + blocks[0] + blocks[1], true},
      {"text after the last block", u"<Database>" + blocks[0] + blocks[1] + u"tail", true},
      {"two stray closing tags",
       u"<Database>" + blocks[0] + u"</Document></Document>" + blocks[1] + u"</Database>", true},
      {"byte-order mark twice", u"\xFEFF\xFEFF<Database>" + blocks[0] + blocks[1], true},
  };
  for (const Variant& variant : variants) {
    SCOPED_TRACE(variant.what);
    files_ = MemoryFileSystem();
    PutFile(variant.text);
    std::unique_ptr<Database> loaded = Reloaded();
    EXPECT_EQ(lastLoad_.status, LoadResult::Status::kRead);
    EXPECT_EQ(Subjects(*loaded), (std::vector<Text>{u"one", u"two"}));
    EXPECT_EQ(loaded->DocumentAt(1)->GetText(), blocks[1]);
    EXPECT_EQ(lastLoad_.damaged, variant.damaged);
    EXPECT_EQ(lastLoad_.backupPath, variant.damaged ? kPath + u".bak" : Text());
    EXPECT_EQ(files_.FileCount(), variant.damaged ? 2u : 1u);
    if (variant.damaged) {
      EXPECT_EQ(files_.Contents(kPath + u".bak"), files_.Contents(kPath));
    }
  }
}

TEST_F(DatabaseTest, BlocksOfNoKnownKindAreKeptUnchangedAndNeverListedByKind) {
  const Text unknown =
      u"<Document><DocumentType>CalendarDocument</DocumentType><When>x</When></Document>";
  const Text untyped = u"<Document><Subject>no type</Subject></Document>";
  const Text note = NoteBlock(u"note", u"01.02.2020 10:00");
  PutFile(u"<Database>" + unknown + note + untyped + u"</Database>");
  database_ = Reloaded();
  ASSERT_EQ(database_->DocumentCount(), 3u);
  EXPECT_EQ(TextView(database_->DocumentAt(0)->TypeName()), u"Document");
  EXPECT_EQ(Subjects(*database_), std::vector<Text>{u"note"});

  auto* loadedNote = static_cast<NoteDocument*>(database_->DocumentAt(1));
  loadedNote->SetField(loadedNote->body(), TextView(u"added"));
  ASSERT_TRUE(database_->Save(loadedNote));
  Text file = FileText();
  EXPECT_EQ(file.rfind(u"<Database>" + unknown, 0), 0u);
  EXPECT_NE(file.find(untyped + u"</Database>"), Text::npos);
  EXPECT_FALSE(files_.Exists(kPath + u".bak"));  // nothing was dropped
}

TEST_F(DatabaseTest, HostileValuesSurviveSaveAndReloadUnchanged) {
  const char16_t* values[] = {
      u"</Document>",
      u"a<Body>b</Body>",
      u"</Subject>tail",
      u"<Document><DocumentType>PhoneDocument</DocumentType>",
      u"&amp;&lt;&gt;&",
      u"Tom & Jerry < Spike > Butch",
      u"line 1\r\nline 2\nline 3\r",
      u"</Database>",
      u"&lt;Subject&gt;",
      u"\xD800 lone surrogate \xDFFF",
      u"\x0001\x0007 control",
      u"<<<<&&&&",
  };
  for (const char16_t* value : values) {
    NoteDocument* note = NewNote(value, value, u"c");
    ASSERT_TRUE(database_->Save(note));
  }
  std::unique_ptr<Database> reloaded = Reloaded();
  ASSERT_EQ(reloaded->DocumentCount(), std::size(values));
  for (std::uint32_t i = 0; i < reloaded->DocumentCount(); ++i) {
    auto* note = dynamic_cast<NoteDocument*>(reloaded->DocumentAt(i));
    ASSERT_NE(note, nullptr) << "value " << i;
    EXPECT_EQ(note->subject(), Text(values[i])) << "value " << i;
    EXPECT_EQ(note->keywords(), Text(values[i])) << "value " << i;
    EXPECT_EQ(note->body(), Text(u"c")) << "value " << i;
  }
  EXPECT_FALSE(files_.Exists(kPath + u".bak"));
}

TEST_F(DatabaseTest, UnescapedFilesStillLoadAsWritten) {
  PutFile(u"<Database><Document><DocumentType>NoteDocument</DocumentType>"
          u"<Subject>a<Body>b</Body></Subject><Body>c</Body></Document></Database>");
  database_ = Reloaded();
  auto* note = static_cast<NoteDocument*>(database_->DocumentAt(0));
  EXPECT_EQ(note->subject(), Text(u"a<Body>b</Body>"));
  EXPECT_EQ(note->body(), Text(u"b"));  // the first <Body> lies in the subject
}

// Text that a save would drop is copied, as the file was, to a backup that
// no earlier copy has the name of, as soon as the file is loaded.
TEST_F(DatabaseTest, TextThatCannotBeKeptIsBackedUpAtLoadUnderAFreeName) {
  const Text good = NoteBlock(u"good", u"01.02.2020 10:00");
  struct Case {
    const char* what;
    MemoryFileSystem::Bytes bytes;
  };
  MemoryFileSystem::Bytes odd = LittleEndianBytes(u"<Database>" + good + u"</Database>");
  odd.push_back(0x41);
  MemoryFileSystem::Bytes oddWithMark = {0xFF, 0xFE};
  oddWithMark.insert(oddWithMark.end(), odd.begin(), odd.end());
  MemoryFileSystem::Bytes utf8;
  for (char16_t unit : u"<Database>" + good + u"</Database>") {
    utf8.push_back(static_cast<unsigned char>(unit));  // all of it ASCII
  }
  const Case cases[] = {
      {"block without closing tag",
       LittleEndianBytes(u"<Database>" + good + u"<Document><DocumentType>NoteDocument")},
      {"stray text between blocks", LittleEndianBytes(u"<Database>" + good + u"stray</Database>")},
      {"stray closing tag", LittleEndianBytes(u"<Database>" + good + u"</Document></Database>")},
      {"odd last byte", odd},
      {"zeros", MemoryFileSystem::Bytes(64, 0)},
      {"byte-order mark and stray text", LittleEndianBytes(u"\xFEFF<Database>stray" + good)},
      {"byte-order mark and odd byte", oddWithMark},
      {"a single byte", MemoryFileSystem::Bytes{0x3C}},
      {"a slash in front", LittleEndianBytes(u"/<Database>" + good + u"</Database>")},
      {"re-saved as UTF-8", utf8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    files_ = MemoryFileSystem();
    files_.Put(kPath, c.bytes);
    database_ = Reloaded();
    ASSERT_EQ(lastLoad_.status, LoadResult::Status::kRead);
    EXPECT_TRUE(lastLoad_.damaged);
    ASSERT_EQ(lastLoad_.backupPath, kPath + u".bak");
    EXPECT_EQ(files_.Contents(kPath + u".bak"), c.bytes);
    EXPECT_EQ(files_.Contents(kPath), c.bytes);  // loading writes nothing over it

    // Loaded again, the same file finds its copy; another damaged file gets
    // the next free name, and no earlier copy is ever overwritten.
    files_.Put(kPath + u".1.bak", {1, 2});
    EXPECT_EQ(Reloaded()->DocumentCount(), database_->DocumentCount());
    EXPECT_EQ(lastLoad_.backupPath, kPath + u".bak");
    MemoryFileSystem::Bytes other = c.bytes;
    other.push_back(0x00);
    other.push_back(0x00);
    other.push_back(0x7A);
    files_.Put(kPath, other);
    database_ = Reloaded();
    EXPECT_EQ(lastLoad_.backupPath, kPath + u".2.bak");
    EXPECT_EQ(files_.Contents(kPath + u".2.bak"), other);
    EXPECT_EQ(files_.Contents(kPath + u".bak"), c.bytes);
    EXPECT_EQ(files_.Contents(kPath + u".1.bak"), (MemoryFileSystem::Bytes{1, 2}));

    // The first save writes a whole file, which loads without damage.
    ASSERT_TRUE(database_->Save(NewNote(u"new", u"", u"")));
    Reloaded();
    EXPECT_FALSE(lastLoad_.damaged);
    EXPECT_EQ(files_.FileCount(), 4u);
  }
}

Text BackupName(int number) {
  if (number == 0) return u"ondrel.db.bak";
  const std::string digits = std::to_string(number);
  return u"ondrel.db." + Text(digits.begin(), digits.end()) + u".bak";
}

// Backup names count on past 9; a name is free only when no file has it: a
// copy that cannot be read, or that differs in a single byte (the odd last
// one included), is someone's and is kept as it is.
TEST_F(DatabaseTest, ABackupTakesTheFirstNameNoFileHasAndNeverOverwritesOne) {
  MemoryFileSystem::Bytes damaged =
      LittleEndianBytes(u"<Database>" + NoteBlock(u"a", u"01.02.2020 10:00") + u"stray");
  damaged.push_back(0x41);
  MemoryFileSystem::Bytes otherOddByte = damaged;
  otherOddByte.back() = 0x42;
  const MemoryFileSystem::Bytes other = {1, 2, 3};
  struct Case {
    const char* what;
    std::vector<std::pair<int, MemoryFileSystem::Bytes>> taken;  // by backup number
    int unreadable;                                               // -1: none
    int expected;
  };
  std::vector<std::pair<int, MemoryFileSystem::Bytes>> tenTaken;
  for (int n = 0; n <= 9; ++n) tenTaken.push_back({n, other});
  std::vector<std::pair<int, MemoryFileSystem::Bytes>> elevenTaken = tenTaken;
  elevenTaken.push_back({10, other});
  std::vector<std::pair<int, MemoryFileSystem::Bytes>> sameAtFive = elevenTaken;
  sameAtFive[5].second = damaged;
  const Case cases[] = {
      {"none taken", {}, -1, 0},
      {"up to .9 taken", tenTaken, -1, 10},
      {"up to .10 taken", elevenTaken, -1, 11},
      {"the same file kept at .5 already", sameAtFive, -1, 5},
      {"the first one unreadable", {{0, other}}, 0, 1},
      {"the first one another odd byte", {{0, otherOddByte}}, -1, 1},
      {"a gap at .1", {{0, other}, {2, other}}, -1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    files_ = MemoryFileSystem();
    files_.Put(kPath, damaged);
    for (const auto& [number, bytes] : c.taken) files_.Put(BackupName(number), bytes);
    if (c.unreadable >= 0) files_.MakeUnreadable(BackupName(c.unreadable));
    database_ = Reloaded();
    EXPECT_TRUE(lastLoad_.damaged);
    EXPECT_EQ(lastLoad_.backupPath, BackupName(c.expected));
    EXPECT_EQ(files_.Contents(BackupName(c.expected)), damaged);
    for (const auto& [number, bytes] : c.taken) {
      EXPECT_EQ(files_.Contents(BackupName(number)), bytes) << "backup " << number;
    }
    const bool copied = c.expected != 5;
    EXPECT_EQ(files_.FileCount(), 1 + c.taken.size() + (copied ? 1 : 0));
    // Saves go on once the copy exists, and never write it again.
    files_.FailAt(FailingStep::kCreate, u".bak.tmp");
    EXPECT_TRUE(database_->Save(NewNote(u"new", u"", u"")));
    EXPECT_EQ(files_.Contents(BackupName(c.expected)), damaged);
  }
}

// With every backup name taken the damaged file cannot be kept: no save
// replaces it, and the store says the file is behind.
TEST_F(DatabaseTest, WhenEveryBackupNameIsTakenNoSaveReplacesTheFile) {
  const MemoryFileSystem::Bytes damaged =
      LittleEndianBytes(u"<Database>" + NoteBlock(u"a", u"01.02.2020 10:00") + u"stray");
  files_.Put(kPath, damaged);
  for (int n = 0; n < 1000; ++n) files_.Put(BackupName(n), {static_cast<unsigned char>(n)});
  database_ = Reloaded();
  EXPECT_TRUE(lastLoad_.damaged);
  EXPECT_EQ(lastLoad_.backupPath, Text());
  NoteDocument* note = NewNote(u"new", u"", u"");
  EXPECT_FALSE(database_->Save(note));
  EXPECT_TRUE(note->IsDirty());
  EXPECT_TRUE(database_->IsFileBehind());
  EXPECT_FALSE(database_->DeleteAndSave(database_->DocumentAt(0)));
  EXPECT_EQ(files_.Contents(kPath), damaged);
  EXPECT_EQ(files_.FileCount(), 1001u);
  EXPECT_FALSE(files_.Exists(BackupName(1000)));
}

// After a load that could not read the file, nothing may replace it: an
// edit or a removal fails and is kept in memory, while a record with
// nothing to write counts as saved, as it does in any store.
TEST_F(DatabaseTest, AStoreThatCouldNotReadItsFileRefusesEveryWriteItNeeds) {
  PutFile(kExample);
  const MemoryFileSystem::Bytes original = files_.Contents(kPath);
  files_.FailCall(2);  // the read, after the look at the file's stamp
  database_ = Reloaded();
  files_.FailCall(0);
  ASSERT_EQ(lastLoad_.status, LoadResult::Status::kCouldNotRead);
  ASSERT_TRUE(database_->RefusesSaves());

  NoteDocument* note =
      static_cast<NoteDocument*>(database_->CreateDocument(NoteDocument::kTypeName));
  EXPECT_TRUE(database_->Save(note));
  note->SetField(note->subject(), TextView(u"typed"));
  EXPECT_FALSE(database_->Save(note));
  EXPECT_TRUE(note->IsDirty());
  EXPECT_FALSE(database_->DeleteAndSave(note));
  EXPECT_FALSE(note->IsDeleted());
  EXPECT_TRUE(note->IsDirty());
  EXPECT_FALSE(database_->Save(nullptr));
  EXPECT_EQ(files_.Contents(kPath), original);
  EXPECT_EQ(files_.FileCount(), 1u);
}

TEST_F(DatabaseTest, WhileTheBackupCannotBeMadeNoSaveWrites) {
  const MemoryFileSystem::Bytes original =
      LittleEndianBytes(u"<Database>" + NoteBlock(u"a", u"01.02.2020 10:00") + u"stray</Database>");
  files_.Put(kPath, original);
  files_.FailAt(FailingStep::kCreate, u".bak.tmp");
  database_ = Reloaded();
  EXPECT_TRUE(lastLoad_.damaged);
  EXPECT_EQ(lastLoad_.backupPath, kPath + u".bak");
  EXPECT_FALSE(files_.Exists(kPath + u".bak"));
  NoteDocument* note = NewNote(u"new", u"", u"");
  EXPECT_FALSE(database_->Save(note));
  EXPECT_TRUE(note->IsDirty());
  EXPECT_EQ(files_.Contents(kPath), original);
  EXPECT_FALSE(files_.Exists(kPath + u".bak"));

  files_.FailAt(FailingStep::kNone);
  EXPECT_TRUE(database_->Save(note));
  EXPECT_EQ(files_.Contents(kPath + u".bak"), original);
}

// The second of three blocks lost its closing tag: it ends where the third
// starts, so the third is listed and survives an edit of the second.
TEST_F(DatabaseTest, ABlockWithoutItsClosingTagEndsAtTheNextBlock) {
  const Text first = NoteBlock(u"one", u"01.02.2020 10:00");
  Text second = NoteBlock(u"two", u"02.02.2020 11:00");
  second.resize(second.size() - 11);  // "</Document>" removed by hand
  const Text third = NoteBlock(u"three", u"03.02.2020 12:00");
  PutFile(u"<Database>" + first + second + third + u"</Database>");
  database_ = Reloaded();
  EXPECT_TRUE(lastLoad_.damaged);
  ASSERT_EQ(Subjects(*database_), (std::vector<Text>{u"one", u"two", u"three"}));

  auto* note = static_cast<NoteDocument*>(database_->DocumentAt(1));
  note->SetField(note->body(), TextView(u"edited"));
  ASSERT_TRUE(database_->Save(note));
  EXPECT_EQ(Subjects(*Reloaded()), (std::vector<Text>{u"one", u"two", u"three"}));
  EXPECT_FALSE(lastLoad_.damaged);
  EXPECT_NE(FileText().find(first + u"<Document>"), Text::npos);
  EXPECT_NE(FileText().find(third + u"</Database>"), Text::npos);
}

TEST_F(DatabaseTest, TruncatedOddZeroAndHugeFilesLoadWithoutHarm) {
  // Every prefix of a valid file loads the blocks that are complete in it
  // unchanged, and one that is cut off as far as it goes.
  const Text one = NoteBlock(u"one", u"01.02.2020 10:00");
  const Text text = u"<Database>" + one + NoteBlock(u"two", u"02.02.2020 11:00") + u"</Database>";
  const MemoryFileSystem::Bytes whole = LittleEndianBytes(text);
  for (std::size_t size = 0; size <= whole.size(); ++size) {
    files_ = MemoryFileSystem();
    files_.Put(kPath, MemoryFileSystem::Bytes(whole.begin(), whole.begin() + size));
    std::unique_ptr<Database> loaded = Reloaded();
    const TextView prefix = TextView(text).substr(0, size / 2);
    std::uint32_t expected = 0;
    for (std::size_t at = prefix.find(u"<Document>"); at != Text::npos;
         at = prefix.find(u"<Document>", at + 1)) {
      ++expected;
    }
    ASSERT_EQ(loaded->DocumentCount(), expected) << "size " << size;
    if (size >= (10 + one.size()) * 2) {
      ASSERT_EQ(loaded->DocumentAt(0)->GetText(), one) << "size " << size;
    }
    // Cut where nothing is lost: before or after "<Database>", after a
    // block, or not at all.
    const bool clean = size == 0 || size == 20 || size == (10 + one.size()) * 2 ||
                       size == whole.size() - 22 || size == whole.size();
    ASSERT_EQ(lastLoad_.damaged, !clean) << "size " << size;
  }

  files_.Put(kPath, MemoryFileSystem::Bytes(3 << 20, 0));
  EXPECT_EQ(Reloaded()->DocumentCount(), 0u);

  Text huge = u"<Database>";
  const Text big = NoteBlock(Text(100000, u'x'), u"01.02.2020 10:00");
  for (int i = 0; i < 60; ++i) huge += big;  // about 12 MB
  huge += u"</Database>";
  PutFile(huge);
  std::unique_ptr<Database> loaded = Reloaded();
  ASSERT_EQ(loaded->DocumentCount(), 60u);
  EXPECT_EQ(loaded->DocumentAt(59)->GetText(), big);
}

TEST_F(DatabaseTest, ADocumentGivenOnlyEmptyTextIsWrittenWithItsEnvelope) {
  NoteDocument* note =
      static_cast<NoteDocument*>(database_->CreateDocument(NoteDocument::kTypeName));
  note->SetField(note->subject(), TextView(u""));
  ASSERT_TRUE(note->IsDirty());
  ASSERT_TRUE(database_->Save(note));
  EXPECT_EQ(FileText(),
            u"<Database><Document><DocumentType>NoteDocument</DocumentType><CreateDate>"
            u"05.03.2024 09:07</CreateDate><ModifyDate>05.03.2024 09:07</ModifyDate>"
            u"</Document></Database>");
}

}  // namespace
}  // namespace ondrel::test
