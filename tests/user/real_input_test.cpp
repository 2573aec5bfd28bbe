// What a person does with real clicks and key presses on the built
// ondrel.exe, and what must hold afterwards: nothing typed is lost or
// scrambled, Esc closes nothing, a failed save keeps the form and stops the
// action that asked for it, the highlighted row is the record in the form,
// and the focus stays where it can be seen.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/user/live_organiser.h"

namespace ondrel::test {
namespace {

constexpr int kNotesTab = 300, kPasswordsTab = 301, kPhoneTab = 302;
constexpr int kSubjectSearch = 107, kSubject = 110, kNoteBody = 112, kNoteList = 113;
constexpr int kNoteSave = 102, kNoteRemove = 104, kNoteNew = 105;
constexpr int kSite = 127, kPasswordBody = 130, kPhoneBody = 160;

std::wstring Note(const std::wstring& subject, const std::wstring& body = L"") {
  return L"<Document><DocumentType>NoteDocument</DocumentType><CreateDate>01.01.2011 08:00</CreateDate>"
         L"<ModifyDate>01.01.2011 08:00</ModifyDate><Subject>" +
         subject + L"</Subject><Body>" + body + L"</Body></Document>";
}

std::wstring Notes(int count) {
  std::wstring text = L"<Database>";
  for (int i = 0; i < count; ++i) text += Note(L"Note " + std::to_wstring(i));
  return text + L"</Database>";
}

class RealInputTest : public ::testing::Test {
 protected:
  void StartWith(const std::wstring& database) {
    folder_ = std::make_unique<OrganiserFolder>(database);
    app_ = std::make_unique<LiveOrganiser>(*folder_);
    ASSERT_TRUE(app_->Start()) << app_->StartFailure();
  }
  HWND Item(int id) const { return app_->Item(id); }
  // Expects exactly one message box, checks whether it asks (Yes/No) or
  // warns (OK), and clicks the answer.
  void ExpectBoxAndAnswer(bool question, int answer) {
    std::vector<HWND> boxes;
    app_->WaitUntil([&] {
      boxes = app_->MessageBoxes();
      return boxes.size() == 1 && (GetDlgItem(boxes[0], IDOK) != nullptr || GetDlgItem(boxes[0], IDYES) != nullptr);
    });
    ASSERT_EQ(boxes.size(), 1u) << (question ? "expected the save question" : "expected the warning");
    EXPECT_EQ(GetDlgItem(boxes[0], IDYES) != nullptr, question);
    app_->Answer(boxes[0], answer);
  }
  void ExpectNoBox() const { EXPECT_TRUE(app_->MessageBoxes().empty()); }
  bool FocusBecomes(HWND control) const {
    return app_->WaitUntil([&] { return app_->Focus() == control; });
  }
  std::wstring SelectedSubject() const {
    const std::vector<int> rows = app_->SelectedRows(Item(kNoteList));
    if (rows.size() != 1) return L"<" + std::to_wstring(rows.size()) + L" rows highlighted>";
    return app_->Cell(Item(kNoteList), rows[0], 2);
  }
  void ClickRow(int row) {
    const RECT rect = app_->RowRect(Item(kNoteList), row);
    app_->Click(Item(kNoteList), rect.left + 5, (rect.top + rect.bottom) / 2);
  }

  std::unique_ptr<OrganiserFolder> folder_;
  std::unique_ptr<LiveOrganiser> app_;
};

// Fault: Enter swallowed and paste dropped once a body edit is full; a long
// paste cut to the platform's default limit.
TEST_F(RealInputTest, TypedLinesAndPastedTextArriveWholeInEveryEdit) {
  struct Case {
    const char* what;
    int tab;
    int edit;
    std::wstring typed;  // typed with real keys; empty: pasted instead
    std::wstring pasted;
  };
  std::wstring lines;
  for (int i = 1; i <= 16; ++i) lines += (i > 1 ? L"\r\n" : L"") + (L"line " + std::to_wstring(i));
  const std::wstring tenKilobytes(10 * 1024, L'p');
  const std::wstring longSubject(40000, L's');
  const Case cases[] = {
      {"note body, 16 typed lines", kNotesTab, kNoteBody, lines, L""},
      {"password note, 16 typed lines", kPasswordsTab, kPasswordBody, lines, L""},
      {"phone note, 16 typed lines", kPhoneTab, kPhoneBody, lines, L""},
      {"note body, 10 KB pasted", kNotesTab, kNoteBody, L"", tenKilobytes},
      {"subject, 40,000 characters pasted", kNotesTab, kSubject, L"", longSubject},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StartWith(L"<Database></Database>");
    app_->Click(Item(c.tab));
    app_->Click(Item(c.edit));
    if (!c.typed.empty()) app_->Type(c.typed);
    if (!c.pasted.empty()) app_->Paste(c.pasted);
    const std::wstring expected = c.typed.empty() ? c.pasted : c.typed;
    app_->WaitUntil([&] { return app_->Text(Item(c.edit)) == expected; });
    EXPECT_EQ(app_->Text(Item(c.edit)).size(), expected.size());
    const std::wstring got = app_->Text(Item(c.edit));
    EXPECT_TRUE(got == expected) << std::string(got.begin(), got.begin() + std::min<std::size_t>(got.size(), 200));
    if (c.tab == kNotesTab) {
      app_->Click(Item(kNoteSave));
      ExpectNoBox();
      EXPECT_TRUE(app_->WaitUntil([&] { return folder_->DatabaseText().find(expected) != std::wstring::npos; }))
          << "not saved whole";
    }
  }
}

// Fault: Esc in a body edit posted WM_CLOSE and the organiser vanished.
TEST_F(RealInputTest, EscClosesNothingAndChangesNothingOnAnyControl) {
  StartWith(Notes(2));
  struct Case {
    int tab;
    int control;
  };
  for (const Case& c : {Case{kNotesTab, kNoteBody}, Case{kNotesTab, kSubject}, Case{kNotesTab, kNoteList},
                        Case{kPasswordsTab, kPasswordBody}, Case{kPhoneTab, kPhoneBody},
                        Case{kPhoneTab, 147}}) {
    SCOPED_TRACE(c.control);
    app_->Click(Item(c.tab));
    app_->Click(Item(c.control));
    const std::wstring before = app_->Text(Item(c.control));
    app_->Key(VK_ESCAPE);
    ASSERT_TRUE(app_->Running());
    EXPECT_TRUE(IsWindowVisible(app_->main()));
    ExpectNoBox();
    EXPECT_EQ(app_->Text(Item(c.control)), before);
  }
  // Closing still works: Alt+F4 with nothing unsaved ends the program.
  app_->Key(VK_F4, false, true);
  EXPECT_EQ(app_->WaitForExit(), 0u);
}

// Fault: after a failed save the edit counted as saved, and a failed save
// asked for by the question let the action go on and replace the form.
TEST_F(RealInputTest, AFailedSaveKeepsTheEditAndStopsTheActionThatAskedForIt) {
  enum class Trigger { kSaveThenClose, kRowClick, kNew, kTabSwitch, kFind, kClose, kRemove };
  struct Case {
    const char* what;
    Trigger trigger;
  };
  for (const Case& c : {Case{"Save button, then close", Trigger::kSaveThenClose}, Case{"row click", Trigger::kRowClick},
                        Case{"New", Trigger::kNew}, Case{"tab switch", Trigger::kTabSwitch},
                        Case{"Find", Trigger::kFind}, Case{"close", Trigger::kClose},
                        Case{"Remove", Trigger::kRemove}}) {
    SCOPED_TRACE(c.what);
    StartWith(Notes(3));
    const std::wstring before = folder_->DatabaseText();
    folder_->BlockSaves();
    app_->Click(Item(kSubject));
    app_->Key(VK_END);
    app_->Type(L" edited");
    ASSERT_TRUE(app_->WaitUntil([&] { return app_->Text(Item(kSubject)) == L"Note 0 edited"; }));
    switch (c.trigger) {
      case Trigger::kSaveThenClose:
        app_->Click(Item(kNoteSave));
        ExpectBoxAndAnswer(false, IDOK);
        app_->Key(VK_F4, false, true);
        ExpectBoxAndAnswer(true, IDYES);  // still unsaved: asks
        ExpectBoxAndAnswer(false, IDOK);  // and the save fails again
        break;
      case Trigger::kRowClick: ClickRow(2); break;
      case Trigger::kNew: app_->Click(Item(kNoteNew)); break;
      case Trigger::kTabSwitch: app_->Click(Item(kPhoneTab)); break;
      case Trigger::kFind: app_->Click(Item(100)); break;
      case Trigger::kClose: app_->Key(VK_F4, false, true); break;
      case Trigger::kRemove: break;
    }
    if (c.trigger == Trigger::kRemove) {
      app_->Click(Item(kNoteRemove));
      ExpectBoxAndAnswer(false, IDOK);
    } else if (c.trigger != Trigger::kSaveThenClose) {
      ExpectBoxAndAnswer(true, IDYES);
      ExpectBoxAndAnswer(false, IDOK);
    }
    ExpectNoBox();
    ASSERT_TRUE(app_->Running());
    EXPECT_TRUE(IsWindowVisible(Item(kSubject))) << "the note page must stay";
    EXPECT_EQ(app_->Text(Item(kSubject)), L"Note 0 edited");
    EXPECT_EQ(app_->RowCount(Item(kNoteList)), 3);
    // The row shows what was last tried, the unsaved edit after Remove.
    EXPECT_EQ(SelectedSubject(), c.trigger == Trigger::kRemove ? L"Note 0" : L"Note 0 edited");
    EXPECT_EQ(folder_->DatabaseText(), before);

    // Once the file can be written, closing asks and Yes keeps the edit.
    folder_->UnblockSaves();
    app_->Key(VK_F4, false, true);
    ExpectBoxAndAnswer(true, IDYES);
    EXPECT_EQ(app_->WaitForExit(), 0u);
    EXPECT_NE(folder_->DatabaseText().find(L"<Subject>Note 0 edited</Subject>"), std::wstring::npos);
  }
}

// Fault: after New, typing and Yes on another row's question, the new note
// was highlighted while the form showed the clicked one.
TEST_F(RealInputTest, TheHighlightedRowIsAlwaysTheRecordInTheForm) {
  StartWith(Notes(3));
  app_->Click(Item(kNoteNew));
  EXPECT_TRUE(app_->SelectedRows(Item(kNoteList)).empty());
  app_->Click(Item(kSubject));
  app_->Type(L"Fresh");
  ASSERT_TRUE(app_->WaitUntil([&] { return app_->Text(Item(kSubject)) == L"Fresh"; }));
  ClickRow(1);
  ExpectBoxAndAnswer(true, IDYES);
  app_->WaitUntil([&] { return app_->Text(Item(kSubject)) == L"Note 1"; });
  EXPECT_EQ(app_->Text(Item(kSubject)), L"Note 1");
  EXPECT_EQ(SelectedSubject(), L"Note 1");
  app_->Click(Item(kNoteRemove));
  ExpectNoBox();
  const std::wstring file = folder_->DatabaseText();
  EXPECT_EQ(file.find(L"<Subject>Note 1</Subject>"), std::wstring::npos) << "Remove took another note";
  EXPECT_NE(file.find(L"<Subject>Fresh</Subject>"), std::wstring::npos);
  EXPECT_EQ(SelectedSubject(), app_->Text(Item(kSubject)));
}

// Fault: at log-off nothing asked and nothing was saved, and Windows then
// ended the program with the edit. A save that fails holds the session.
TEST_F(RealInputTest, ASessionEndSavesWhatIsTypedWithoutAsking) {
  enum class Then { kSaves, kSaveFails, kQuestionOpen };
  for (const Then then : {Then::kSaves, Then::kSaveFails, Then::kQuestionOpen}) {
    SCOPED_TRACE(static_cast<int>(then));
    StartWith(Notes(3));
    if (then == Then::kSaveFails) folder_->BlockSaves();
    app_->Click(Item(kSubject));
    app_->Key(VK_END);
    app_->Type(L" typed");
    ASSERT_TRUE(app_->WaitUntil([&] { return app_->Text(Item(kSubject)) == L"Note 0 typed"; }));
    if (then == Then::kQuestionOpen) {
      ClickRow(2);
      ASSERT_TRUE(app_->WaitUntil([&] { return app_->MessageBoxes().size() == 1; }));
    }
    LRESULT answer = -1;
    ASSERT_TRUE(app_->SendToMain(WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, answer));
    if (then == Then::kSaveFails) {
      EXPECT_EQ(answer, FALSE);
      ASSERT_TRUE(app_->SendToMain(WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF, answer));
      ExpectNoBox();
      EXPECT_EQ(app_->Text(Item(kSubject)), L"Note 0 typed") << "the form is kept";
      EXPECT_EQ(folder_->DatabaseText().find(L"typed"), std::wstring::npos);
      // Once the file can be written, the next session end saves.
      folder_->UnblockSaves();
      ASSERT_TRUE(app_->SendToMain(WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, answer));
    }
    EXPECT_EQ(answer, TRUE);
    ASSERT_TRUE(app_->SendToMain(WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, answer));
    EXPECT_EQ(app_->MessageBoxes().size(), then == Then::kQuestionOpen ? 1u : 0u);
    app_->Kill();
    EXPECT_NE(folder_->DatabaseText().find(L"<Subject>Note 0 typed</Subject>"), std::wstring::npos);
  }
}

// Fault: after a failed save and No, the list showed the declined text and
// a later save wrote it; a new record declined stayed listed.
TEST_F(RealInputTest, NoGivesUpADeclinedChangeInTheListAndTheFile) {
  for (const bool newRecord : {false, true}) {
    SCOPED_TRACE(newRecord ? "new record" : "listed record");
    StartWith(Notes(3));
    folder_->BlockSaves();
    if (newRecord) app_->Click(Item(kNoteNew));
    app_->Click(Item(kSubject));
    app_->Key(VK_END);
    app_->Type(L"DECLINED");
    app_->Click(Item(kNoteSave));
    ExpectBoxAndAnswer(false, IDOK);
    ClickRow(1);
    ExpectBoxAndAnswer(true, IDNO);
    ASSERT_TRUE(app_->WaitUntil([&] { return app_->Text(Item(kSubject)) == L"Note 1"; }))
        << "the form shows \"" << app_->Text(Item(kSubject)) << "\", highlighted: " << SelectedSubject()
        << ", first row: " << app_->Cell(Item(kNoteList), 0, 2) << ", boxes open: " << app_->MessageBoxes().size();
    EXPECT_EQ(app_->RowCount(Item(kNoteList)), 3);
    EXPECT_EQ(app_->Cell(Item(kNoteList), 0, 2), L"Note 0");
    EXPECT_EQ(SelectedSubject(), L"Note 1");

    folder_->UnblockSaves();
    app_->Click(Item(kSubject));
    app_->Key(VK_END);
    app_->Type(L" kept");
    app_->Click(Item(kNoteSave));
    ExpectNoBox();
    const std::wstring file = folder_->DatabaseText();
    EXPECT_NE(file.find(L"<Subject>Note 1 kept</Subject>"), std::wstring::npos);
    EXPECT_EQ(file.find(L"DECLINED"), std::wstring::npos);
    EXPECT_NE(file.find(L"<Subject>Note 0</Subject>"), std::wstring::npos);
  }
}

// Fault: No at Find left the edited subject in the form when the first hit
// was the edited note, and closing asked again.
TEST_F(RealInputTest, NoAtFindShowsTheFirstHitAsStored) {
  StartWith(Notes(3));
  app_->Click(Item(kSubject));
  app_->Key(VK_END);
  app_->Type(L" edited");
  app_->Click(Item(100));
  ExpectBoxAndAnswer(true, IDNO);
  EXPECT_TRUE(app_->WaitUntil([&] { return app_->Text(Item(kSubject)) == L"Note 0"; }));
  EXPECT_EQ(SelectedSubject(), L"Note 0");
  app_->Key(VK_F4, false, true);
  EXPECT_EQ(app_->WaitForExit(), 0u) << "closing asked again";
}

// Fault: a click below the last row took the highlight and left the record
// in the form, which Remove then deleted without a row to show it.
TEST_F(RealInputTest, AClickOnTheListsEmptyAreaChangesNothing) {
  StartWith(Notes(3));
  ClickRow(1);
  RECT list{};
  GetClientRect(Item(kNoteList), &list);
  ASSERT_GT(list.bottom - app_->RowRect(Item(kNoteList), 2).bottom, 10) << "no empty area below the rows";
  app_->Click(Item(kNoteList), 30, list.bottom - 5);
  ExpectNoBox();
  EXPECT_TRUE(app_->WaitUntil([&] { return SelectedSubject() == L"Note 1"; })) << SelectedSubject();
  EXPECT_EQ(app_->Text(Item(kSubject)), L"Note 1");
  app_->Click(Item(kNoteRemove));
  ExpectNoBox();
  EXPECT_EQ(folder_->DatabaseText().find(L"<Subject>Note 1</Subject>"), std::wstring::npos);
  EXPECT_TRUE(app_->WaitUntil([&] { return SelectedSubject() == app_->Text(Item(kSubject)); }));
}

// Fault: a body holding a zero character showed cut short, New asked the
// save question although nothing was typed, and Yes wrote the cut text.
TEST_F(RealInputTest, ATextTheEditCannotShowAsksNothingAndIsKept) {
  const std::wstring body(L"abc\0def", 7);
  StartWith(L"<Database>" + Note(L"Zero", body) + Note(L"Other") + L"</Database>");
  EXPECT_EQ(GetFileAttributesW(folder_->File(L"ondrel.db.bak").c_str()), INVALID_FILE_ATTRIBUTES);
  app_->Click(Item(kNoteNew));
  ClickRow(1);
  ClickRow(0);
  ExpectNoBox();
  app_->Click(Item(kSubject));
  app_->Key(VK_END);
  app_->Type(L" kept");
  app_->Click(Item(kNoteSave));
  ExpectNoBox();
  EXPECT_NE(folder_->DatabaseText().find(L"<Subject>Zero kept</Subject><Body>" + body + L"</Body>"),
            std::wstring::npos);
}

bool OnTheShownPage(HWND control) {
  return control != nullptr && IsWindowVisible(control);
}

// Fault: Tab reached controls of hidden pages, nothing had the focus at
// start, and the focus was lost after another program was used.
TEST_F(RealInputTest, TheFocusStaysOnTheShownPage) {
  StartWith(Notes(2));
  EXPECT_TRUE(FocusBecomes(Item(kSubjectSearch))) << "at start";
  app_->Click(Item(kPasswordsTab));
  EXPECT_TRUE(FocusBecomes(Item(kSite))) << "after a tab switch";
  app_->Click(Item(kNotesTab));
  for (int press = 0; press < 16; ++press) {
    app_->Key(VK_TAB);
    EXPECT_TRUE(app_->WaitUntil([&] { return OnTheShownPage(app_->Focus()); })) << "Tab press " << press;
  }
  app_->Click(Item(kPhoneTab));
  app_->Click(Item(kPhoneTab));  // the tab itself keeps the focus now
  app_->Key(VK_TAB);
  EXPECT_TRUE(app_->WaitUntil([&] { return OnTheShownPage(app_->Focus()); }));

  // Another program's window, then back to the organiser by its title bar.
  app_->Click(Item(149));
  HWND other = CreateWindowExW(0, L"Static", L"another program", WS_POPUP | WS_VISIBLE | WS_BORDER, 700, 500,
                               200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(other, nullptr);
  app_->Click(other);
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  RECT frame{};
  GetWindowRect(app_->main(), &frame);
  RECT client{};
  GetClientRect(app_->main(), &client);
  POINT origin{0, 0};
  ClientToScreen(app_->main(), &origin);
  // The caption lies between the frame's top and the client area.
  app_->Click(app_->main(), (client.right - client.left) / 2, -((origin.y - frame.top) / 2) - 1);
  EXPECT_TRUE(FocusBecomes(Item(149))) << "after coming back from another program";
  DestroyWindow(other);
}

// Counts the pixels that differ between what the screen shows and what a
// repaint from scratch shows: stale rows or lines left behind. A blinking
// caret accounts for a few.
constexpr int kCaretPixels = 40;

int StaleSpots(LiveOrganiser& app, HWND window) {
  const std::vector<COLORREF> shown = app.SteadyPixels(window, kCaretPixels);
  app.RepaintWhole(window);
  const std::vector<COLORREF> fresh = app.SteadyPixels(window, kCaretPixels);
  int differing = 0;
  for (std::size_t i = 0; i < shown.size() && i < fresh.size(); ++i) differing += shown[i] != fresh[i] ? 1 : 0;
  return differing;
}

// Fault: after Remove in a list scrolled down a row showed twice; resizing
// left stray lines on the phone page.
TEST_F(RealInputTest, WhatIsDrawnIsWhatARepaintFromScratchDraws) {
  StartWith(Notes(30));
  ClickRow(0);
  app_->Key(VK_END);  // the last row: the list scrolls down
  for (int removal = 0; removal < 3; ++removal) {
    app_->Click(Item(kNoteRemove));
    ExpectNoBox();
    EXPECT_LE(StaleSpots(*app_, Item(kNoteList)), kCaretPixels) << "after Remove " << removal;
  }
  ClickRow(app_->TopRow(Item(kNoteList)) + 1);
  for (int up = 0; up < 8; ++up) app_->Key(VK_UP);
  EXPECT_LE(StaleSpots(*app_, Item(kNoteList)), kCaretPixels) << "after scrolling";

  app_->Click(Item(kPhoneTab));
  for (const SIZE size : {SIZE{700, 520}, SIZE{610, 460}, SIZE{800, 600}}) {
    SetWindowPos(app_->main(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    app_->Settle();
    EXPECT_LE(StaleSpots(*app_, app_->main()), kCaretPixels) << "after resizing to " << size.cx << " x " << size.cy;
  }
}

}  // namespace
}  // namespace ondrel::test
