#include "organiser/store/search.h"

#include <string>
#include <vector>

#include "tests/store/store_fixture.h"

namespace ondrel::test {
namespace {

std::vector<Text> Terms(TextView text) {
  PtrArray<Text> terms(Ownership::kOwns);
  ParseTerms(text, terms);
  std::vector<Text> result;
  for (const Text* term : terms) result.push_back(*term);
  return result;
}

TEST(ParseTermsTest, SplitsPhrasesFirstThenWords) {
  struct Case {
    const char16_t* text;
    std::vector<Text> terms;
  };
  const Case cases[] = {
      {u"\"red car\" blue", {u"red car", u"blue"}},
      {u"say \"hello", {u"say", u"hello"}},
      {u"a\"b\"c", {u"b", u"a", u"c"}},
      {u"\"\"", {u""}},
      {u"", {}},
      {u"   ", {}},
      {u"  one   two  ", {u"one", u"two"}},
      {u"tab\there line\nbreak", {u"tab\there", u"line\nbreak"}},
      {u"\"a  b\" \"c\" d \"", {u"a  b", u"c", u"d"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Terms(c.text), c.terms) << "case " << (&c - cases);
  }
}

TEST(FindNoCaseTest, FoldsOnlyAsciiLetters) {
  struct Case {
    const char16_t* value;
    const char16_t* term;
    std::optional<std::size_t> found;
  };
  const Case cases[] = {
      {u"xABCx", u"abc", 1},   {u"xabcx", u"ABC", 1},  {u"\u00E9", u"\u00C9", std::nullopt},
      {u"abc", u"", 0},        {u"", u"", std::nullopt}, {u"ab", u"abc", std::nullopt},
      {u"aaab", u"aab", 1},    {u"[@]", u"{`}", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindNoCase(c.value, c.term), c.found) << "case " << (&c - cases);
  }
}

// Every letter folds both ways, in the first unit of a term and later;
// the units beside the letters ('@' '[' '`' '{') and other scripts do not.
TEST(FindNoCaseTest, FoldsEveryLetterBothWaysAndNothingElse) {
  for (char16_t upper = u'A'; upper <= u'Z'; ++upper) {
    const char16_t lower = static_cast<char16_t>(upper + 32);
    const Text up(1, upper), low(1, lower);
    SCOPED_TRACE(std::string(1, static_cast<char>(upper)));
    EXPECT_EQ(FindNoCase(u"-" + up, low), 1u);
    EXPECT_EQ(FindNoCase(u"-" + low, up), 1u);
    EXPECT_EQ(FindNoCase(u"x" + up + up + u"x", u"x" + low + low), 0u);
    EXPECT_EQ(FindNoCase(u"-" + low + low + up, up + up + low), 1u);
  }
  const char16_t neighbours[][2] = {{u'@', u'`'}, {u'[', u'{'}, {u'\u00C0', u'\u00E0'},
                                    {u'\u0391', u'\u03B1'}};
  for (const auto& pair : neighbours) {
    EXPECT_EQ(FindNoCase(Text(1, pair[0]), Text(1, pair[1])), std::nullopt);
    EXPECT_EQ(FindNoCase(u"a" + Text(1, pair[1]), u"A" + Text(1, pair[0])), std::nullopt);
  }
}

class SearchTest : public StoreTest {
 protected:
  // Notes last changed on the given days, each saved at that moment.
  void AddNote(TextView subject, TextView keywords, TextView body, LocalTime when) {
    clock_.Set(when);
    ASSERT_TRUE(database_->Save(NewNote(subject, keywords, body)));
  }

  std::vector<Text> Find(TextView subject, TextView keywords, TextView body, Date from,
                         Date to) {
    SearchQuery query;
    query.Reset();
    query.kind = NoteDocument::kTypeName;
    query.from = from;
    query.to = to;
    query.AddPair(u"Subject", subject);
    query.AddPair(u"Keywords", keywords);
    query.AddPair(u"Body", body);
    PtrArray<Document> found;
    database_->Search(found, query);
    std::vector<Text> subjects;
    for (Document* document : found) {
      subjects.push_back(static_cast<NoteDocument*>(document)->subject().value_or(u""));
    }
    return subjects;
  }

  static Date Day(int day, int month, int year) {
    Date date;
    date.day = day;
    date.month = month;
    date.year = year;
    return date;
  }
};

TEST_F(SearchTest, EveryTermMustOccurInItsField) {
  AddNote(u"Red car and blue sky", u"travel", u"", At(1, 3, 2024, 8, 0));
  AddNote(u"Blue car", u"", u"Tom & Jerry", At(2, 3, 2024, 8, 0));
  AddNote(u"empty", u"", u"", At(3, 3, 2024, 8, 0));
  const Date from = Day(1, 1, 2024), to = Day(31, 12, 2024);
  using V = std::vector<Text>;
  EXPECT_EQ(Find(u"", u"", u"", from, to), (V{u"Red car and blue sky", u"Blue car", u"empty"}));
  EXPECT_EQ(Find(u"\"red car\" BLUE", u"", u"", from, to), V{u"Red car and blue sky"});
  EXPECT_EQ(Find(u"car", u"", u"", from, to), (V{u"Red car and blue sky", u"Blue car"}));
  EXPECT_EQ(Find(u"", u"t", u"", from, to), V{u"Red car and blue sky"});
  EXPECT_EQ(Find(u"", u"", u"\"\"", from, to), V{u"Blue car"});
  // Values are searched as the user typed them, not as they are escaped.
  EXPECT_EQ(Find(u"", u"", u"\"tom & jerry\"", from, to), V{u"Blue car"});
  EXPECT_EQ(Find(u"", u"", u"amp", from, to), V{});
}

// Values holding entities stand in several notes in a row, and some notes
// lack a field the one before had: each note is judged by its own values.
TEST_F(SearchTest, EachNoteIsJudgedByItsOwnDecodedValues) {
  AddNote(u"one", u"a&b", u"Tom & Jerry <3", At(1, 3, 2024, 8, 0));
  AddNote(u"two", u"", u"&", At(1, 3, 2024, 8, 0));
  AddNote(u"three", u"k<", u"<&>", At(1, 3, 2024, 8, 0));
  AddNote(u"four", u"plain", u"Jerry", At(1, 3, 2024, 8, 0));
  const Date from = Day(1, 1, 2024), to = Day(31, 12, 2024);
  using V = std::vector<Text>;
  EXPECT_EQ(Find(u"", u"", u"tom", from, to), V{u"one"});
  EXPECT_EQ(Find(u"", u"", u"jerry", from, to), (V{u"one", u"four"}));
  EXPECT_EQ(Find(u"", u"", u"&", from, to), (V{u"one", u"two", u"three"}));
  EXPECT_EQ(Find(u"", u"", u"<3", from, to), V{u"one"});
  EXPECT_EQ(Find(u"", u"", u"\"<&>\"", from, to), V{u"three"});
  EXPECT_EQ(Find(u"", u"&", u"", from, to), V{u"one"});
  EXPECT_EQ(Find(u"", u"b", u"", from, to), V{u"one"});
  EXPECT_EQ(Find(u"", u"<", u"", from, to), V{u"three"});
  EXPECT_EQ(Find(u"", u"", u"amp", from, to), V{});
  EXPECT_EQ(Find(u"", u"", u"lt", from, to), V{});
}

TEST_F(SearchTest, DateRangeIsInclusiveOnTheModificationDay) {
  AddNote(u"early", u"", u"", At(28, 2, 2024, 0, 0));
  AddNote(u"day", u"", u"", At(1, 3, 2024, 23, 59));
  AddNote(u"late", u"", u"", At(2, 3, 2024, 0, 0));
  using V = std::vector<Text>;
  EXPECT_EQ(Find(u"", u"", u"", Day(1, 3, 2024), Day(1, 3, 2024)), V{u"day"});
  EXPECT_EQ(Find(u"", u"", u"", Day(28, 2, 2024), Day(1, 3, 2024)), (V{u"early", u"day"}));
  EXPECT_EQ(Find(u"", u"", u"", Day(2, 3, 2024), Day(1, 3, 2024)), V{});
}

TEST_F(SearchTest, OnlyTheQueriedKindMatchesAndSearchingChangesNothing) {
  AddNote(u"note", u"", u"", At(1, 3, 2024, 8, 0));
  database_->CreateDocument(PasswordDocument::kTypeName);
  // A note edited but not yet saved: the search reads what is stored and
  // must leave the edit to be saved.
  auto* note = static_cast<NoteDocument*>(database_->DocumentAt(0));
  note->SetField(note->subject(), TextView(u"edited"));
  EXPECT_EQ(Find(u"note", u"", u"", Day(1, 1, 2024), Day(1, 1, 2025)), std::vector<Text>{u"edited"});
  EXPECT_TRUE(note->IsDirty());

  // Removed documents are found too; the page leaves them out.
  ASSERT_TRUE(database_->Save(note));
  ASSERT_TRUE(database_->DeleteAndSave(note));
  EXPECT_EQ(Find(u"edited", u"", u"", Day(1, 1, 2024), Day(1, 1, 2025)),
            std::vector<Text>{u"edited"});

  SearchQuery query;
  query.kind = u"Nothing";
  PtrArray<Document> found;
  database_->Search(found, query);
  EXPECT_EQ(found.count(), 0u);
}

}  // namespace
}  // namespace ondrel::test
