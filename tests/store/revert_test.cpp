// A change the user declines is given up: the record goes back to what the
// file holds, however many writes failed in between, and a later save
// writes every record as the file held it. A record the file never held
// leaves the live records without a write.

#include <functional>

#include "tests/store/store_fixture.h"

namespace ondrel::test {
namespace {

constexpr char16_t kTwoNotesUnits[] =
    u"<Database><Document><DocumentType>NoteDocument</DocumentType><CreateDate>01.02.2020 10:00"
    u"</CreateDate><ModifyDate>01.02.2020 10:00</ModifyDate><Subject>Shopping</Subject>"
    u"<Body>abc\u0000def</Body></Document><Document><DocumentType>NoteDocument</DocumentType>"
    u"<CreateDate>02.02.2020 10:00</CreateDate><ModifyDate>02.02.2020 10:00</ModifyDate>"
    u"<Subject>Car</Subject><Unknown>kept</Unknown></Document></Database>";
// Counted, not read up to the first zero: the first body holds U+0000.
const Text kTwoNotes(kTwoNotesUnits, sizeof(kTwoNotesUnits) / sizeof(char16_t) - 1);

NoteDocument* Note(Database& database, std::uint32_t index) {
  return static_cast<NoteDocument*>(database.DocumentAt(index));
}

class RevertTest : public StoreTest {
 protected:
  void SetUp() override {
    PutFile(kTwoNotes);
    database_ = Reloaded();
    ASSERT_FALSE(lastLoad_.damaged);
  }
  void Edit(std::uint32_t index, TextView subject) {
    NoteDocument* note = Note(*database_, index);
    note->SetField(note->subject(), subject);
  }
  bool SaveFailing(std::uint32_t index) {
    files_.FailAt(FailingStep::kWrite);
    const bool saved = database_->Save(database_->DocumentAt(index));
    files_.FailAt(FailingStep::kNone);
    return saved;
  }
};

TEST_F(RevertTest, ADeclinedEditGoesBackToTheFileAndALaterSaveKeepsItOut) {
  struct Case {
    const char* name;
    std::function<void()> before;  // what happened to note 0
    Text fileAfterwards;                      // the subject note 0 then has on disk
  };
  const Case cases[] = {
      {"edited, never saved", [this] { Edit(0, u"DECLINED"); }, u"Shopping"},
      {"one failed save",
       [this] {
         Edit(0, u"DECLINED");
         EXPECT_FALSE(SaveFailing(0));
       },
       u"Shopping"},
      {"two failed saves of two edits",
       [this] {
         Edit(0, u"first");
         EXPECT_FALSE(SaveFailing(0));
         Edit(0, u"DECLINED");
         EXPECT_FALSE(SaveFailing(0));
       },
       u"Shopping"},
      {"saved once, then a failed save",
       [this] {
         clock_.Set(At(3, 3, 2023, 8, 0));
         Edit(0, u"Saved");
         EXPECT_TRUE(database_->Save(database_->DocumentAt(0)));
         Edit(0, u"DECLINED");
         EXPECT_FALSE(SaveFailing(0));
       },
       u"Saved"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    c.before();
    const Text fileBefore = FileText();
    const Text textBefore(database_->DocumentAt(1)->StoredText());
    NoteDocument* note = Note(*database_, 0);

    clock_.Set(At(9, 9, 2029, 9, 9));
    EXPECT_TRUE(database_->Revert(note));
    EXPECT_EQ(FileText(), fileBefore) << "a revert writes nothing";
    EXPECT_FALSE(note->IsDirty());
    EXPECT_FALSE(database_->IsFileBehind());
    EXPECT_EQ(note->subject(), c.fileAfterwards);
    EXPECT_EQ(note->body(), Text(u"abc\u0000def", 7));
    EXPECT_NE(fileBefore.find(note->StoredText()), Text::npos) << "the text the file holds";
    EXPECT_NE(note->GetModifyDate(), TextField(u"09.09.2029 09:09"));

    // Saving the other note writes this one exactly as the file held it.
    Edit(1, u"Car wash");
    ASSERT_TRUE(database_->Save(database_->DocumentAt(1)));
    EXPECT_NE(FileText().find(note->StoredText()), Text::npos);
    EXPECT_EQ(FileText().find(u"DECLINED"), Text::npos);
    EXPECT_NE(FileText().find(u"<Unknown>kept</Unknown>"), Text::npos);
    EXPECT_NE(Text(database_->DocumentAt(1)->StoredText()), textBefore);
  }
}

TEST_F(RevertTest, ANewRecordWhoseFirstSaveFailedLeavesTheLiveRecords) {
  NoteDocument* created = NewNote(u"DECLINED", u"", u"");
  files_.FailAt(FailingStep::kCreate);
  EXPECT_FALSE(database_->Save(created));
  files_.FailAt(FailingStep::kNone);
  ASSERT_TRUE(database_->IsFileBehind());

  EXPECT_FALSE(database_->Revert(created));
  EXPECT_TRUE(created->IsDeleted());
  EXPECT_FALSE(created->IsDirty());
  EXPECT_FALSE(database_->IsFileBehind());
  EXPECT_EQ(FileText(), kTwoNotes);
  // Nothing needs writing now; the next change writes without it.
  EXPECT_TRUE(database_->Save(database_->DocumentAt(0)));
  EXPECT_EQ(FileText(), kTwoNotes);
  Edit(1, u"Car wash");
  ASSERT_TRUE(database_->Save(database_->DocumentAt(1)));
  EXPECT_EQ(FileText().find(u"DECLINED"), Text::npos);
  EXPECT_EQ(Reloaded()->DocumentCount(), 2u);
}

TEST_F(RevertTest, WhileAnotherRecordIsUnwrittenTheFileStaysBehind) {
  Edit(0, u"DECLINED");
  EXPECT_FALSE(SaveFailing(0));
  Edit(1, u"Wanted");
  EXPECT_FALSE(SaveFailing(1));

  EXPECT_TRUE(database_->Revert(database_->DocumentAt(0)));
  EXPECT_TRUE(database_->IsFileBehind());
  // The retry, for a record nobody touched since, writes the wanted one.
  EXPECT_TRUE(database_->Save(database_->DocumentAt(0)));
  EXPECT_NE(FileText().find(u"<Subject>Wanted</Subject>"), Text::npos);
  EXPECT_NE(FileText().find(u"<Subject>Shopping</Subject>"), Text::npos);
  EXPECT_FALSE(database_->IsFileBehind());
}

}  // namespace
}  // namespace ondrel::test
