// Every way of leaving a record with typed text (a row click, New, Find, a
// tab switch, the close box, a log-off), after each answer the user can
// give: a failed Yes keeps everything where it was, No gives the typed text
// up everywhere. Each case checks the whole outcome: the route's own answer,
// the form, the record shown, the highlight, the file and the boxes.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "organiser/store/document.h"
#include "tests/pages/page_cases.h"
#include "tests/support/test_name.h"

namespace ondrel::test {
namespace {

constexpr int kFindId = 100;

// The posted highlight check runs once the page looks at its messages.
void HandlePostedMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

// What the user met on the way: Yes at the question and a save that failed;
// No at the question; or first a Save that failed, then No at the question.
enum class After { kFailedSave, kDeclined, kDeclinedAfterAFailedSave };

struct Route {
  const char* name;
  // Goes away from record 0; answers whether the route says it went on
  // (routes that answer nothing say true).
  std::function<bool(PageHost&, const PageCase&)> go;
  bool answers;  // the page's answer says whether the route may go on
  bool notesOnly;
  bool asks;  // a log-off saves without asking
  // Where the form is once the route went on: record 1 (a row), or an
  // empty new form; otherwise the stored record 0.
  enum class Lands { kStoredFirst, kSecond, kNewForm } lands;
};

const Route kRoutes[] = {
    {"row click", [](PageHost& h, const PageCase&) { h.ClickRow(1); return true; }, false, false, true,
     Route::Lands::kSecond},
    {"New", [](PageHost& h, const PageCase& c) { h.Click(c.NewId()); return true; }, false, false, true,
     Route::Lands::kNewForm},
    {"Find", [](PageHost& h, const PageCase&) { h.Click(kFindId); return true; }, false, true, true,
     Route::Lands::kStoredFirst},
    {"tab switch", [](PageHost& h, const PageCase&) { return h.page().Hide(); }, true, false, true,
     Route::Lands::kStoredFirst},
    {"close", [](PageHost& h, const PageCase&) { return h.page().OfferToSave(); }, true, false, true,
     Route::Lands::kStoredFirst},
    {"log-off", [](PageHost& h, const PageCase&) { return h.page().SaveForSessionEnd(); }, true,
     false, false, Route::Lands::kStoredFirst},
};

struct RouteCase {
  const PageCase* page;
  const Route* route;
  After after;
};

void PrintTo(const RouteCase& c, std::ostream* out) {
  *out << c.page->name << ", " << c.route->name;
}

std::vector<RouteCase> AllRouteCases() {
  std::vector<RouteCase> cases;
  for (const PageCase& page : AllPageCases()) {
    for (const Route& route : kRoutes) {
      if (route.notesOnly && page.kind != PageKind::kNote) continue;
      cases.push_back({&page, &route, After::kFailedSave});
      // A log-off has no question to decline.
      if (!route.asks) continue;
      cases.push_back({&page, &route, After::kDeclined});
      cases.push_back({&page, &route, After::kDeclinedAfterAFailedSave});
    }
  }
  return cases;
}

std::string RouteCaseName(const ::testing::TestParamInfo<RouteCase>& info) {
  const char* after = info.param.after == After::kFailedSave ? " failed save"
                      : info.param.after == After::kDeclined ? " declined"
                                                             : " declined after a failed save";
  const std::string words = std::string(info.param.page->name) + " " + info.param.route->name + after;
  return TestNameOf(words.c_str());
}

class RouteAwayTest : public ::testing::TestWithParam<RouteCase> {};

TEST_P(RouteAwayTest, AFailedSaveStopsTheRouteAndADeclinedChangeIsGoneEverywhere) {
  const PageCase& c = *GetParam().page;
  const Route& route = *GetParam().route;
  const bool failedSave = GetParam().after == After::kFailedSave;
  const bool savedInVain = GetParam().after == After::kDeclinedAfterAFailedSave;
  PageHost host(c.kind, c.FileText());
  const std::wstring blocker = host.DatabasePath() + L".tmp";
  if (failedSave || savedInVain) {
    ASSERT_TRUE(CreateDirectoryW(blocker.c_str(), nullptr));
  }
  const auto before = host.DatabaseFileBytes();
  Document* first = host.RowDocument(0);

  bool wentOn = false;
  std::vector<MessageBoxAnswerer::Box> boxes;
  {
    MessageBoxAnswerer answerer(savedInVain ? std::vector<int>{IDOK, IDNO}
                                            : std::vector<int>{failedSave ? IDYES : IDNO});
    host.Type(c.KeyEdit(), u"Typed");
    if (savedInVain) {
      // The edit is in memory and its row, not in the file; the disk is
      // fine again by the time the user says No.
      host.Click(c.saveId);
      EXPECT_EQ(Narrow(host.Cell(0, c.KeyColumn())), "Typed");
      ASSERT_TRUE(RemoveDirectoryW(blocker.c_str()));
    }
    wentOn = route.go(host, c);
    HandlePostedMessages();
    boxes = answerer.boxes();
  }
  std::vector<std::string> told;
  for (const auto& box : boxes) told.push_back(Narrow(box.text));
  std::vector<std::string> expectedBoxes;
  if (savedInVain) expectedBoxes.push_back("Save failed");
  if (route.asks) expectedBoxes.push_back("Save question");
  if (failedSave && route.asks) expectedBoxes.push_back("Save failed");
  EXPECT_EQ(told, expectedBoxes);
  EXPECT_EQ(host.DatabaseFileBytes(), before) << "the file changed";
  EXPECT_EQ(host.RowCount(), 3);

  if (failedSave) {
    // Nothing moved: the typed text in the form of its record, which stays
    // highlighted alone and unsaved.
    if (route.answers) {
      EXPECT_FALSE(wentOn) << "the page let the route go on";
    }
    if (std::string(route.name) == "tab switch") {
      EXPECT_TRUE(IsWindowVisible(host.Control(c.KeyEdit()))) << "the page hid its form";
    }
    EXPECT_EQ(Narrow(host.EditText(c.KeyEdit())), "Typed");
    EXPECT_EQ(host.page().current(), first);
    EXPECT_EQ(host.SelectedRows(), std::vector<int>{0});
    EXPECT_TRUE(host.page().HasUnsavedChanges());
    // The row shows what the failed save took into memory (a log-off's
    // quiet save too), or still the stored text where nothing was saved.
    EXPECT_EQ(Narrow(host.Cell(0, c.KeyColumn())), "Typed");
    // Once the file can be written, Save keeps what was typed.
    ASSERT_TRUE(RemoveDirectoryW(blocker.c_str()));
    MessageBoxAnswerer answerer;
    host.Click(c.saveId);
    EXPECT_TRUE(answerer.boxes().empty());
    EXPECT_NE(host.DatabaseFileText().find(c.Element(c.formTags[c.keyField], u"Typed")),
              Text::npos);
    return;
  }
  // Declined: the route went on, and the typed text is nowhere.
  EXPECT_TRUE(wentOn);
  EXPECT_FALSE(host.page().HasUnsavedChanges());
  EXPECT_EQ(Narrow(host.Cell(0, c.KeyColumn())), Narrow(c.Value(0, c.keyField)));
  EXPECT_EQ(host.RowDocument(0), first);
  switch (route.lands) {
    case Route::Lands::kSecond:
      EXPECT_EQ(host.page().current(), host.RowDocument(1));
      EXPECT_EQ(Narrow(host.EditText(c.KeyEdit())), Narrow(c.Value(1, c.keyField)));
      EXPECT_EQ(host.SelectedRows(), std::vector<int>{1});
      break;
    case Route::Lands::kNewForm:
      EXPECT_EQ(host.page().current(), nullptr);
      EXPECT_EQ(Narrow(host.EditText(c.KeyEdit())), "");
      EXPECT_EQ(host.SelectedRows(), std::vector<int>{});
      break;
    case Route::Lands::kStoredFirst:
      EXPECT_EQ(host.page().current(), first);
      EXPECT_EQ(Narrow(host.EditText(c.KeyEdit())), Narrow(c.Value(0, c.keyField)));
      EXPECT_EQ(host.SelectedRows(), std::vector<int>{0});
      break;
  }
  // Coming back to the record asks nothing and shows it as stored.
  MessageBoxAnswerer answerer;
  host.ClickRow(0);
  EXPECT_TRUE(answerer.boxes().empty());
  EXPECT_EQ(Narrow(host.EditText(c.KeyEdit())), Narrow(c.Value(0, c.keyField)));
}

INSTANTIATE_TEST_SUITE_P(Routes, RouteAwayTest, ::testing::ValuesIn(AllRouteCases()), RouteCaseName);

// A new record whose first save failed, then declined on leaving the page:
// it was never in the file, so nothing of it is left anywhere, and what is
// typed after coming back is a record of its own.
TEST(DeclinedNewRecordTest, LeavesNothingBehindForTheNextSave) {
  for (const PageCase& c : AllPageCases()) {
    SCOPED_TRACE(c.name);
    PageHost host(c.kind, c.FileText());
    const std::wstring blocker = host.DatabasePath() + L".tmp";
    ASSERT_TRUE(CreateDirectoryW(blocker.c_str(), nullptr));
    {
      MessageBoxAnswerer answerer({IDOK, IDNO});
      host.Click(c.NewId());
      host.Type(c.KeyEdit(), u"Never stored");
      host.Type(c.formIds.back(), u"Declined text");
      host.Click(c.saveId);
      EXPECT_EQ(host.RowCount(), 4);
      ASSERT_TRUE(RemoveDirectoryW(blocker.c_str()));
      EXPECT_TRUE(host.page().Hide());
      EXPECT_EQ(answerer.boxes().size(), 2u);
    }
    host.page().Show();
    EXPECT_EQ(host.RowCount(), 3);
    EXPECT_EQ(host.page().current(), nullptr);
    EXPECT_FALSE(host.page().HasUnsavedChanges());
    MessageBoxAnswerer answerer;
    host.Type(c.KeyEdit(), u"Fresh");
    host.Click(c.saveId);
    EXPECT_TRUE(answerer.boxes().empty());
    EXPECT_EQ(host.RowCount(), 4);
    const Text file = host.DatabaseFileText();
    EXPECT_NE(file.find(c.Element(c.formTags[c.keyField], u"Fresh")), Text::npos);
    EXPECT_EQ(file.find(u"Declined text"), Text::npos);
    EXPECT_EQ(file.find(u"Never stored"), Text::npos);
  }
}

// Whether a new form counts as typed in turns on a single character.
TEST(NewFormTypedTest, OneCharacterIsAskedAboutAndNothingIsNot) {
  struct Case {
    const char16_t* typed;
    std::size_t questions;
  };
  for (const PageCase& c : AllPageCases()) {
    for (const Case& typed : {Case{u"", 0}, Case{u"x", 1}, Case{u" ", 1}}) {
      SCOPED_TRACE(std::string(c.name) + " typed \"" + Narrow(typed.typed) + "\"");
      PageHost host(c.kind, c.FileText());
      MessageBoxAnswerer answerer({IDYES});
      host.Click(c.NewId());
      host.Type(c.formIds.back(), typed.typed);
      EXPECT_EQ(host.page().HasUnsavedChanges(), typed.questions > 0);
      host.ClickRow(1);
      EXPECT_EQ(answerer.boxes().size(), typed.questions);
      // Yes keeps the one character as a record of its own.
      EXPECT_EQ(host.RowCount(), typed.questions > 0 ? 4 : 3);
      EXPECT_EQ(host.page().current(), host.RowDocument(1));
      if (typed.questions > 0) {
        EXPECT_NE(host.DatabaseFileText().find(c.Element(c.formTags.back(), typed.typed)), Text::npos)
            << "the character is not in the file";
      }
    }
  }
}

}  // namespace
}  // namespace ondrel::test
