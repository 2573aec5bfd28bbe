// The note page's search panel: Find by words, quoted phrases and a range
// of modification days, and Find with unsaved edits.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "tests/pages/page_cases.h"

namespace ondrel::test {
namespace {

constexpr int kFindId = 100;
constexpr int kSubjectSearchId = 107;
constexpr int kKeywordsSearchId = 108;
constexpr int kBodySearchId = 109;
constexpr int kSubjectEditId = 110;
constexpr int kSaveId = 102;
constexpr std::size_t kFromPickerSlot = 3;
constexpr std::size_t kToPickerSlot = 4;
constexpr int kSubjectColumn = 2;

const PageCase& Notes() { return AllPageCases()[0]; }

SYSTEMTIME Day(int year, int month, int day) {
  SYSTEMTIME date{};
  date.wYear = static_cast<WORD>(year);
  date.wMonth = static_cast<WORD>(month);
  date.wDay = static_cast<WORD>(day);
  return date;
}

// Sets a picker's date and tells the page as the picker tells of a user's
// change.
void SetPicker(HWND picker, SYSTEMTIME date) {
  SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&date));
  NMDATETIMECHANGE change{};
  change.nmhdr.hwndFrom = picker;
  change.nmhdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(picker));
  change.nmhdr.code = DTN_DATETIMECHANGE;
  change.st = date;
  SendMessageW(GetParent(picker), WM_NOTIFY, change.nmhdr.idFrom, reinterpret_cast<LPARAM>(&change));
}

SYSTEMTIME DaysFromToday(int days) {
  SYSTEMTIME today{};
  GetLocalTime(&today);
  FILETIME time{};
  SystemTimeToFileTime(&today, &time);
  ULARGE_INTEGER value{};
  value.LowPart = time.dwLowDateTime;
  value.HighPart = time.dwHighDateTime;
  value.QuadPart += static_cast<ULONGLONG>(days) * 24 * 60 * 60 * 10000000ULL;
  time.dwLowDateTime = value.LowPart;
  time.dwHighDateTime = value.HighPart;
  SYSTEMTIME result{};
  FileTimeToSystemTime(&time, &result);
  return result;
}

std::vector<std::string> ListedSubjects(const PageHost& host) {
  std::vector<std::string> subjects;
  for (int row = 0; row < host.RowCount(); ++row) subjects.push_back(Narrow(host.Cell(row, kSubjectColumn)));
  return subjects;
}

TEST(NoteFindTest, TheFromPickerStartsOnTheFirstDayOf2000) {
  PageHost host(PageKind::kNote, Notes().FileText());
  SYSTEMTIME from{};
  ASSERT_EQ(SendMessageW(host.Slot(kFromPickerSlot), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&from)),
            GDT_VALID);
  EXPECT_EQ(from.wYear, 2000);
  EXPECT_EQ(from.wMonth, 1);
  EXPECT_EQ(from.wDay, 1);
}

// The program left open past midnight: a Find with untouched pickers still
// lists the notes saved on the new day; a "to" date the user picked stays.
TEST(NoteFindTest, TheToDateFollowsTodayUntilTheUserPicksOne) {
  PageHost host(PageKind::kNote, Notes().FileText());
  const SYSTEMTIME tomorrow = DaysFromToday(1);
  host.clock().Set(LocalTime{tomorrow.wYear, tomorrow.wMonth, tomorrow.wDay, 0, 5});
  host.Click(Notes().NewId());
  host.Type(kSubjectEditId, u"Written after midnight");
  host.Click(Notes().saveId);
  host.Click(kFindId);
  EXPECT_EQ(ListedSubjects(host),
            (std::vector<std::string>{"Shopping", "Red car repair", "Holiday plans", "Written after midnight"}));
  SetPicker(host.Slot(kToPickerSlot), Day(2009, 6, 17));
  host.clock().Set(LocalTime{2030, 1, 1, 0, 0});
  host.Click(kFindId);
  EXPECT_EQ(ListedSubjects(host), (std::vector<std::string>{"Shopping", "Red car repair"}));
}

TEST(NoteFindTest, FindWithEmptyFieldsAndTheStartingRangeListsEveryNote) {
  PageHost host(PageKind::kNote, Notes().FileText());
  host.ClickRow(2);
  host.Click(kFindId);
  EXPECT_EQ(ListedSubjects(host),
            (std::vector<std::string>{"Shopping", "Red car repair", "Holiday plans"}));
  EXPECT_EQ(host.SelectedRow(), 0);
  EXPECT_EQ(Narrow(host.EditText(kSubjectEditId)), "Shopping");
  EXPECT_EQ(host.page().current(), host.RowDocument(0));
}

TEST(NoteFindTest, FindSelectsNotesByFieldsAndDays) {
  struct Case {
    const char* name;
    const char* subject;
    const char* keywords;
    const char* body;
    SYSTEMTIME from, to;
    std::vector<std::string> subjects;
  };
  const SYSTEMTIME start = Day(2000, 1, 1);
  const SYSTEMTIME end = Day(2020, 12, 31);
  const Case cases[] = {
      {"one word in the body", "", "", "red", start, end, {"Red car repair", "Holiday plans"}},
      {"words in any order and case", "", "", "TYRES red", start, end, {"Red car repair"}},
      {"keywords", "", "car", "", start, end, {"Red car repair"}},
      {"words in two fields", "plans", "", "hotel", start, end, {"Holiday plans"}},
      {"quoted phrase", "", "", "\"red hotel\"", start, end, {"Holiday plans"}},
      {"quoted phrase out of order", "", "", "\"hotel red\"", start, end, {}},
      {"one day", "", "", "", Day(2009, 6, 17), Day(2009, 6, 17), {"Red car repair"}},
      {"the next day", "", "", "", Day(2009, 6, 18), Day(2009, 6, 18), {"Holiday plans"}},
      {"range ending before a note", "", "", "", start, Day(2009, 6, 17), {"Shopping", "Red car repair"}},
      {"from after to", "", "", "", Day(2010, 1, 1), Day(2009, 1, 1), {}},
      {"no hits", "zebra", "", "", start, end, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PageHost host(PageKind::kNote, Notes().FileText());
    MessageBoxAnswerer answerer;
    host.Type(kSubjectSearchId, T(c.subject));
    host.Type(kKeywordsSearchId, T(c.keywords));
    host.Type(kBodySearchId, T(c.body));
    SetPicker(host.Slot(kFromPickerSlot), c.from);
    SetPicker(host.Slot(kToPickerSlot), c.to);
    host.Click(kFindId);
    EXPECT_TRUE(answerer.boxes().empty());
    EXPECT_EQ(ListedSubjects(host), c.subjects);
    if (c.subjects.empty()) {
      EXPECT_EQ(host.page().current(), nullptr);
      EXPECT_EQ(Narrow(host.EditText(kSubjectEditId)), "");
      EXPECT_EQ(Narrow(host.EditText(112)), "");
    } else {
      EXPECT_EQ(host.SelectedRow(), 0);
      EXPECT_EQ(Narrow(host.EditText(kSubjectEditId)), c.subjects[0]);
      EXPECT_EQ(host.page().current(), host.RowDocument(0));
    }
  }
}

TEST(NoteFindTest, ARemovedNoteStaysAwayAndLaterRowsKeepEveryCell) {
  PageHost host(PageKind::kNote, Notes().FileText());
  Document* const third = host.RowDocument(2);
  host.ClickRow(1);
  host.Click(102 + 2);  // Remove
  host.Click(kFindId);
  // The store still lists the removed note; the row after it must still be
  // filled in every column.
  ASSERT_EQ(host.RowCount(), 2);
  EXPECT_EQ(Narrow(host.Cell(1, 0)), "18.06.2009 08:05");
  EXPECT_EQ(Narrow(host.Cell(1, 1)), "travel");
  EXPECT_EQ(Narrow(host.Cell(1, 2)), "Holiday plans");
  EXPECT_EQ(host.RowDocument(1), third);
}

// No gives the edit up: the first hit is shown as stored, without a second
// question, also when it is the very note that was edited.
TEST(NoteFindTest, FindWithUnsavedEditsAsksOnceAndNoShowsTheFirstHitAsStored) {
  for (const int shown : {1, 0}) {
    SCOPED_TRACE(shown);
    PageHost host(PageKind::kNote, Notes().FileText());
    host.ClickRow(shown);
    const auto before = host.DatabaseFileBytes();
    MessageBoxAnswerer answerer({IDNO, IDNO});
    host.Type(kSubjectEditId, u"Edited before Find");
    host.Click(kFindId);
    EXPECT_EQ(answerer.boxes().size(), 1u);
    EXPECT_EQ(host.RowCount(), 3);
    EXPECT_EQ(Narrow(host.EditText(kSubjectEditId)), "Shopping");
    EXPECT_EQ(host.page().current(), host.RowDocument(0));
    EXPECT_EQ(ListedSubjects(host), (std::vector<std::string>{"Shopping", "Red car repair", "Holiday plans"}));
    EXPECT_EQ(host.DatabaseFileBytes(), before);
  }
}

TEST(NoteFindTest, FindWithUnsavedEditsAndYesSavesThemFirst) {
  PageHost host(PageKind::kNote, Notes().FileText());
  MessageBoxAnswerer answerer({IDYES});
  host.Type(kSubjectEditId, u"Saved before Find");
  host.Click(kFindId);
  EXPECT_EQ(answerer.boxes().size(), 1u);
  EXPECT_EQ(ListedSubjects(host),
            (std::vector<std::string>{"Saved before Find", "Red car repair", "Holiday plans"}));
  EXPECT_NE(host.DatabaseFileText().find(u"<Subject>Saved before Find</Subject>"), Text::npos);
}

// Yes at Find's question and a save that fails: the Find does not happen.
// The list stays as it was, and the note being edited (not the first one,
// which a new list would show) keeps the form and its highlight.
TEST(NoteFindTest, AFailedSaveAtTheQuestionStopsTheFind) {
  PageHost host(PageKind::kNote, Notes().FileText());
  host.ClickRow(1);
  Document* edited = host.page().current();
  const std::wstring blocker = host.DatabasePath() + L".tmp";
  ASSERT_TRUE(CreateDirectoryW(blocker.c_str(), nullptr));
  MessageBoxAnswerer answerer({IDYES});
  host.Type(kSubjectEditId, u"Edited before Find");
  host.Type(kSubjectSearchId, u"Holiday");
  host.Click(kFindId);
  std::vector<std::string> told;
  for (const auto& box : answerer.boxes()) told.push_back(Narrow(box.text));
  EXPECT_EQ(told, (std::vector<std::string>{"Save question", "Save failed"}));
  // The row shows the edit the failed save took into memory.
  EXPECT_EQ(ListedSubjects(host),
            (std::vector<std::string>{"Shopping", "Edited before Find", "Holiday plans"}));
  EXPECT_EQ(host.page().current(), edited);
  EXPECT_EQ(Narrow(host.EditText(kSubjectEditId)), "Edited before Find");
  EXPECT_EQ(host.SelectedRows(), std::vector<int>{1});
  RemoveDirectoryW(blocker.c_str());
}

// A Find that matches nothing empties the form for a new note: what is
// typed there next is saved as a note of its own, and the note shown before
// the Find keeps its text.
TEST(NoteFindTest, AfterAFindWithoutAMatchSaveMakesANewNote) {
  PageHost host(PageKind::kNote, Notes().FileText());
  MessageBoxAnswerer answerer;
  host.Type(kSubjectSearchId, u"no note has this");
  host.Click(kFindId);
  EXPECT_EQ(host.RowCount(), 0);
  EXPECT_EQ(host.page().current(), nullptr);
  EXPECT_EQ(Narrow(host.EditText(kSubjectEditId)), "");
  host.Type(kSubjectEditId, u"Typed after the Find");
  host.Click(kSaveId);
  EXPECT_TRUE(answerer.boxes().empty());
  EXPECT_EQ(host.RowCount(), 1);
  const Text file = host.DatabaseFileText();
  EXPECT_NE(file.find(u"<Subject>Shopping</Subject>"), Text::npos);
  EXPECT_NE(file.find(u"<Subject>Typed after the Find</Subject>"), Text::npos);
  PtrArray<Document> notes(Ownership::kBorrows);
  host.database().ListDocuments(notes, u"NoteDocument");
  EXPECT_EQ(notes.count(), 4u);
}

TEST(NoteFindTest, ANewNoteSavedWhileAResultIsShownIsAppendedAndSelected) {
  PageHost host(PageKind::kNote, Notes().FileText());
  host.Type(kSubjectSearchId, u"plans");
  host.Click(kFindId);
  ASSERT_EQ(host.RowCount(), 1);
  host.Click(105);  // New
  host.Type(kSubjectEditId, u"Unrelated");
  host.Click(102);  // Save
  EXPECT_EQ(ListedSubjects(host), (std::vector<std::string>{"Holiday plans", "Unrelated"}));
  EXPECT_EQ(host.SelectedRow(), 1);
  EXPECT_EQ(Narrow(host.Cell(1, 0)), "01.02.2011 10:30");
}

}  // namespace
}  // namespace ondrel::test
