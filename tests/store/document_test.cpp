#include "organiser/store/document.h"

#include "tests/store/store_fixture.h"

namespace ondrel::test {
namespace {

TEST(StampTest, FormatsZeroPaddedOnTheTwentyFourHourClock) {
  struct Case {
    LocalTime time;
    const char16_t* stamp;
  };
  const Case cases[] = {
      {At(5, 3, 2024, 9, 7), u"05.03.2024 09:07"},
      {At(31, 12, 1999, 23, 59), u"31.12.1999 23:59"},
      {At(1, 1, 2000, 0, 0), u"01.01.2000 00:00"},
      {At(9, 10, 987, 12, 5), u"09.10.0987 12:05"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatStamp(c.time.year, c.time.month, c.time.day, c.time.hour, c.time.minute),
              c.stamp);
  }
}

TEST(DayNumberTest, ReadsOnlyWellFormedDatesAndNeverPastTheStamp) {
  struct Case {
    const char16_t* stamp;
    std::int32_t dayNumber;
  };
  const Case cases[] = {
      {u"05.03.2024 09:07", 753026},
      {u"31.12.1999 23:59", 744031},
      {u"01.01.2000 00:00", 744032},
      {u"05.03.2024", 753026},  // the time is not needed
      {u"05.03.202", 0},        // too short for the year
      {u"", 0},
      {u"5.3.2024 9:07", 0},
      {u"05.03.20x4 09:07", 0},
      {u"x5.03.2024 09:07", 0},
      {u"05.0x.2024 09:07", 0},
      {u"05.03.202x 09:07", 0},  // every place of the date is looked at
      {u"09.09.1999 09:09", 743916},
      {u"\xFF10\x0030.03.2024 09:07", 0},  // a full-width digit is no digit
      {u"ab.cd.efgh ij:kl", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DayNumberOfStamp(c.stamp), c.dayNumber) << "case " << (&c - cases);
  }
}

// A search compares the day numbers of its two dates with those of the
// stamps, so both must give the same number for the same day.
TEST(DayNumberTest, DatesAndStampsOfTheSameDayGiveTheSameNumber) {
  struct Case {
    Date date;
    std::int32_t dayNumber;
  };
  const Case cases[] = {
      {{2024, 3, 5}, 753026},
      {{1999, 12, 31}, 744031},
      {{2000, 1, 1}, 744032},  // the next day, one more although months differ
      {{2024, 2, 29}, 753019},
      {{2024, 3, 1}, 753022},  // 29.02 and 01.03 are not adjacent numbers
      {{1, 1, 1}, 404},
      {{9999, 12, 31}, 3720031},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DayNumberOf(c.date), c.dayNumber) << "case " << (&c - cases);
    EXPECT_EQ(DayNumberOfStamp(FormatStamp(c.date.year, c.date.month, c.date.day, 23, 59)),
              c.dayNumber)
        << "case " << (&c - cases);
  }
}

class DocumentTest : public StoreTest {};

TEST_F(DocumentTest, NewDocumentHasEqualStampsNoTextAndIsClean) {
  NoteDocument* note =
      static_cast<NoteDocument*>(database_->CreateDocument(NoteDocument::kTypeName));
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(note->GetCreateDate(), Text(u"05.03.2024 09:07"));
  EXPECT_EQ(note->GetModifyDate(), note->GetCreateDate());
  EXPECT_FALSE(note->IsDirty());
  EXPECT_TRUE(note->GetText().empty());
  EXPECT_FALSE(note->subject().has_value());
  EXPECT_EQ(note->DayNumber(), 753026);
}

TEST_F(DocumentTest, SetFieldMarksDirtyOnlyWhenTheTextDiffers) {
  NoteDocument* note = NewNote(u"Shopping", u"home", u"milk");
  ASSERT_TRUE(database_->Save(note));
  ASSERT_FALSE(note->IsDirty());

  note->SetField(note->subject(), TextView(u"Shopping"));
  EXPECT_FALSE(note->IsDirty());
  note->SetField(note->subject(), TextView(u"shopping"));
  EXPECT_TRUE(note->IsDirty());
  ASSERT_TRUE(database_->Save(note));

  note->SetField(note->keywords(), std::nullopt);
  EXPECT_TRUE(note->IsDirty());
  ASSERT_TRUE(database_->Save(note));
  note->SetField(note->keywords(), std::nullopt);
  EXPECT_FALSE(note->IsDirty());
  // An empty text for a missing field is a change, but it is not written.
  note->SetField(note->keywords(), TextView(u""));
  EXPECT_TRUE(note->IsDirty());
  ASSERT_TRUE(database_->Save(note));
  EXPECT_EQ(note->GetText().find(u"<Keywords>"), Text::npos);
}

TEST_F(DocumentTest, UnchangedDocumentKeepsItsTextAndStampWhenSerialized) {
  NoteDocument* note = NewNote(u"a", u"b", u"c");
  ASSERT_TRUE(database_->Save(note));
  const Text before = note->GetText();
  clock_.Set(At(6, 4, 2025, 10, 0));
  note->Serialize();
  EXPECT_EQ(note->GetText(), before);
  EXPECT_EQ(note->GetModifyDate(), Text(u"05.03.2024 09:07"));
}

TEST_F(DocumentTest, SavingStampsTheModifyDateAndRefreshesTheDayNumber) {
  NoteDocument* note = NewNote(u"a", u"", u"");
  ASSERT_TRUE(database_->Save(note));
  EXPECT_EQ(note->DayNumber(), 753026);
  clock_.Set(At(6, 3, 2024, 8, 0));
  note->SetField(note->body(), TextView(u"more"));
  ASSERT_TRUE(database_->Save(note));
  EXPECT_EQ(note->GetModifyDate(), Text(u"06.03.2024 08:00"));
  EXPECT_EQ(note->GetCreateDate(), Text(u"05.03.2024 09:07"));
  EXPECT_EQ(note->DayNumber(), 753027);
}

TEST_F(DocumentTest, ExtractTagDecodesEntitiesAndKeepsALoneAmpersand) {
  struct Case {
    const char16_t* stored;
    const char16_t* value;
  };
  const Case cases[] = {
      {u"a&amp;b", u"a&b"},
      {u"a&lt;b", u"a<b"},
      {u"&amp;lt;", u"&lt;"},
      {u"Tom & Jerry", u"Tom & Jerry"},
      {u"&", u"&"},
      {u"&am", u"&am"},
      {u"&gt;&quot;", u"&gt;&quot;"},
      {u"x&lt", u"x&lt"},
  };
  for (const Case& c : cases) {
    Document document(clock_);
    document.LoadFromText(u"<Document><Subject>" + Text(c.stored) + u"</Subject></Document>");
    EXPECT_EQ(document.ExtractTag(u"<Subject>", u"</Subject>"), Text(c.value));
  }
}

TEST_F(DocumentTest, ExtractTagWithoutClosingTagStopsAtTheNextTag) {
  Document document(clock_);
  document.LoadFromText(u"<Document><Subject>abc<Body>milk</Body></Document>");
  EXPECT_EQ(document.ExtractTag(u"<Subject>", u"</Subject>"), Text(u"abc"));
  EXPECT_EQ(document.ExtractTag(u"<Keywords>", u"</Keywords>"), std::nullopt);
  document.LoadFromText(u"<Document><Subject>abc");
  EXPECT_EQ(document.ExtractTag(u"<Subject>", u"</Subject>"), Text(u"abc"));
}

}  // namespace
}  // namespace ondrel::test
