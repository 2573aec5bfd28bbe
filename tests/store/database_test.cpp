#include "organiser/store/database.h"

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
  EXPECT_EQ(database_->DocumentCount(), 0u);
  ASSERT_TRUE(database_->Save(NewNote(u"first", u"", u"")));
  Text file = FileText();
  EXPECT_EQ(file.find(u"<Document>"), file.rfind(u"<Document>"));
  EXPECT_EQ(Subjects(*Reloaded()), std::vector<Text>{u"first"});
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

TEST_F(DatabaseTest, ByteOrderMarkAndTextBetweenBlocksLoadTheSameDocuments) {
  const Text blocks[] = {NoteBlock(u"one", u"01.02.2020 10:00"),
                         NoteBlock(u"two", u"02.02.2020 11:00")};
  const Text variants[] = {
      u"<Database>" + blocks[0] + blocks[1] + u"</Database>",
      u"\xFEFF<Database>" + blocks[0] + blocks[1] + u"</Database>",
      u"<Database>\r\n  " + blocks[0] + u"\r\n\t" + blocks[1] + u"\r\n</Database>\r\n",
      u"junk" + blocks[0] + u"more junk" + blocks[1] + u"tail",
      blocks[0] + blocks[1],
  };
  for (const Text& variant : variants) {
    PutFile(variant);
    std::unique_ptr<Database> loaded = Reloaded();
    EXPECT_EQ(Subjects(*loaded), (std::vector<Text>{u"one", u"two"}));
    EXPECT_EQ(loaded->DocumentAt(1)->GetText(), blocks[1]);
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

// After a load that could not read the file, nothing may replace it: an
// edit or a removal fails and is kept in memory, while a record with
// nothing to write counts as saved, as it does in any store.
TEST_F(DatabaseTest, AStoreThatCouldNotReadItsFileRefusesEveryWriteItNeeds) {
  PutFile(kExample);
  const MemoryFileSystem::Bytes original = files_.Contents(kPath);
  files_.FailCall(1);
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
