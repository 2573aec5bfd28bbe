// The controls each page creates (class, id, text, styles, in creation
// order), its focus order, and the messages it answers itself.
#include <gtest/gtest.h>

#include <string>

#include "tests/pages/page_cases.h"

namespace ondrel::test {
namespace {

struct ExpectedControl {
  const wchar_t* className;
  int id;
  const char* text;  // null: not checked (date pickers show a date)
  DWORD style;
  DWORD exStyle;
};

constexpr DWORD kClientEdge = WS_EX_CLIENTEDGE;
constexpr DWORD kList = 0x50000009;
constexpr DWORD kPush = 0x52010000;
constexpr DWORD kSingle = 0x52010080;
// The body edits: the multi-line edit style plus ES_AUTOVSCROLL and WS_VSCROLL.
constexpr DWORD kMulti = 0x52011084 | ES_AUTOVSCROLL | WS_VSCROLL;

std::vector<ExpectedControl> NoteControls() {
  return {
      {L"SysListView32", 113, "", kList, kClientEdge},
      {L"Button", 0, "Search", 0x52000007, 0},
      {L"Button", 0, "Note", 0x52000007, 0},
      // Created without extended style; the picker gives itself a client edge.
      {L"SysDateTimePick32", 0, nullptr, 0x52010000, kClientEdge},
      {L"SysDateTimePick32", 0, nullptr, 0x52010000, kClientEdge},
      {L"Static", 0, "Subject", 0x52000000, 0},
      {L"Static", 0, "Keywords", 0x52000000, 0},
      {L"Static", 0, "Body", 0x52000000, 0},
      {L"Static", 0, "Last change", 0x52000000, 0},
      {L"Static", 0, "Subject", 0x52000000, 0},
      {L"Static", 0, "Keywords", 0x52000000, 0},
      {L"Static", 0, "_", 0x52000000, 0},
      {L"Button", 100, "Find", kPush, 0},
      {L"Button", 102, "Save", kPush, 0},
      {L"Button", 103, "Cancel", kPush, 0},
      {L"Button", 104, "Remove", kPush, 0},
      {L"Button", 105, "New", kPush, 0},
      {L"Edit", 107, "", kSingle, kClientEdge},
      {L"Edit", 108, "", kSingle, kClientEdge},
      {L"Edit", 109, "", kSingle, kClientEdge},
      {L"Edit", 110, "", kSingle, kClientEdge},
      {L"Edit", 111, "", kSingle, kClientEdge},
      {L"Edit", 112, "", kMulti, kClientEdge},
  };
}

std::vector<ExpectedControl> PasswordControls() {
  return {
      {L"SysListView32", 131, "", kList, kClientEdge},
      {L"Button", 0, "Entries", 0x52010007, 0},
      {L"Button", 0, "Entry", 0x52010007, 0},
      {L"Static", 0, "Site", 0x52010000, 0},
      {L"Static", 0, "Login", 0x52010000, 0},
      {L"Static", 0, "Password", 0x52010000, 0},
      {L"Button", 122, "Save", kPush, 0},
      {L"Button", 123, "Cancel", kPush, 0},
      {L"Button", 124, "Remove", kPush, 0},
      {L"Button", 125, "New", kPush, 0},
      {L"Edit", 127, "", kSingle, kClientEdge},
      {L"Edit", 128, "", kSingle, kClientEdge},
      {L"Edit", 129, "", kSingle, kClientEdge},  // no ES_PASSWORD: shown in clear
      {L"Edit", 130, "", kMulti, kClientEdge},
  };
}

std::vector<ExpectedControl> PhoneControls() {
  std::vector<ExpectedControl> controls = {
      {L"SysListView32", 161, "", kList, kClientEdge},
      {L"Button", 0, "Contacts", 0x52010007, 0},
      {L"Button", 0, "Contact", 0x52010007, 0},
  };
  for (const char* label : {"First name", "Middle name", "Last name", "Nickname", "E-mail", "Home phone",
                            "Mobile", "Business phone", "Job title", "Department", "Company", "ICQ",
                            "Birthday"}) {
    controls.push_back({L"Static", 0, label, 0x52010000, 0});
  }
  controls.push_back({L"Button", 142, "Save", kPush, 0});
  controls.push_back({L"Button", 143, "Cancel", kPush, 0});
  controls.push_back({L"Button", 144, "Remove", kPush, 0});
  controls.push_back({L"Button", 145, "New", kPush, 0});
  for (int id = 147; id <= 159; ++id) controls.push_back({L"Edit", id, "", kSingle, kClientEdge});
  controls.push_back({L"Edit", 160, "", kMulti, kClientEdge});
  return controls;
}

void ExpectControls(PageKind kind, const std::vector<ExpectedControl>& expected) {
  PageHost host(kind, u"<Database></Database>");
  const auto& controls = host.page().controls();
  ASSERT_EQ(controls.size(), expected.size());
  for (std::size_t slot = 0; slot < controls.size(); ++slot) {
    SCOPED_TRACE("control " + std::to_string(slot));
    HWND control = controls[slot];
    wchar_t className[64] = {};
    GetClassNameW(control, className, 64);
    EXPECT_EQ(std::wstring(className), expected[slot].className);
    EXPECT_EQ(GetParent(control), host.window());
    EXPECT_EQ(GetDlgCtrlID(control), expected[slot].id);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE)), expected[slot].style);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(control, GWL_EXSTYLE)), expected[slot].exStyle);
    if (expected[slot].text != nullptr) {
      wchar_t text[128] = {};
      GetWindowTextW(control, text, 128);
      EXPECT_EQ(Narrow(Text(reinterpret_cast<const char16_t*>(text))), expected[slot].text);
    }
    // Every control but the list view wears the page's font.
    const bool hasPageFont = SendMessageW(control, WM_GETFONT, 0, 0) != 0 &&
                             SendMessageW(control, WM_GETFONT, 0, 0) ==
                                 SendMessageW(controls[1], WM_GETFONT, 0, 0);
    EXPECT_EQ(hasPageFont, slot != 0);
  }
}

TEST(PageControlsTest, NotePageCreatesItsControlsInOrder) { ExpectControls(PageKind::kNote, NoteControls()); }
TEST(PageControlsTest, PasswordPageCreatesItsControlsInOrder) {
  ExpectControls(PageKind::kPassword, PasswordControls());
}
TEST(PageControlsTest, PhonePageCreatesItsControlsInOrder) { ExpectControls(PageKind::kPhone, PhoneControls()); }

TEST(PageControlsTest, ListColumnsCarryTheHeadersOfEachPage) {
  const struct {
    PageKind kind;
    std::vector<const char*> headers;
  } cases[] = {
      {PageKind::kNote, {"Changed", "Keywords", "Subject"}},
      {PageKind::kPassword, {"Site", "Login"}},
      {PageKind::kPhone, {"Name", "E-mail", "Home phone"}},
  };
  for (const auto& page : cases) {
    PageHost host(page.kind, u"<Database></Database>");
    HWND header = reinterpret_cast<HWND>(SendMessageW(host.ListView(), LVM_GETHEADER, 0, 0));
    ASSERT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), static_cast<LRESULT>(page.headers.size()));
    for (std::size_t c = 0; c < page.headers.size(); ++c) {
      wchar_t text[64] = {};
      LVCOLUMNW column{};
      column.mask = LVCF_TEXT | LVCF_WIDTH;
      column.pszText = text;
      column.cchTextMax = 64;
      SendMessageW(host.ListView(), LVM_GETCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
      EXPECT_EQ(Narrow(Text(reinterpret_cast<const char16_t*>(text))), page.headers[c]);
      EXPECT_EQ(column.cx, 100);
    }
    // Rows are selected whole.
    EXPECT_TRUE(SendMessageW(host.ListView(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);
  }
}

TEST(PageControlsTest, FocusRingHoldsTheFocusableControlsInPageOrder) {
  const struct {
    PageKind kind;
    std::vector<std::size_t> slots;
  } cases[] = {
      // Search fields, pickers, Find, list, form, buttons.
      {PageKind::kNote, {17, 18, 19, 3, 4, 12, 0, 20, 21, 22, 13, 14, 15, 16}},
      // Form, buttons, then the list.
      {PageKind::kPassword, {10, 11, 12, 13, 6, 7, 8, 9, 0}},
      {PageKind::kPhone, {20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 16, 17, 18, 19, 0}},
  };
  for (const auto& page : cases) {
    PageHost host(page.kind, u"<Database></Database>");
    FocusRing ring;
    // A ring left over from another page is emptied first.
    ring.Append(host.window());
    ASSERT_EQ(host.page().FillFocusRing(ring), page.slots.size());
    ASSERT_EQ(ring.count(), page.slots.size());
    for (std::size_t i = 0; i < page.slots.size(); ++i) {
      EXPECT_EQ(ring[static_cast<std::uint32_t>(i)], host.Slot(page.slots[i])) << "ring entry " << i;
    }
  }
}

TEST(PageControlsTest, OnlyTheNotePageNamesSaveAsTheDefaultButton) {
  PageHost note(PageKind::kNote, u"<Database></Database>");
  EXPECT_EQ(SendMessageW(note.window(), WM_USER, 0, 0), 102);
  PageHost password(PageKind::kPassword, u"<Database></Database>");
  EXPECT_EQ(SendMessageW(password.window(), WM_USER, 0, 0), 0);
  PageHost phone(PageKind::kPhone, u"<Database></Database>");
  EXPECT_EQ(SendMessageW(phone.window(), WM_USER, 0, 0), 0);
}

TEST(PageControlsTest, CommandsWithANotificationCodeAreIgnored) {
  const PageCase& note = AllPageCases()[0];
  PageHost host(PageKind::kNote, note.FileText());
  MessageBoxAnswerer answerer;
  host.Type(110, u"typed");
  // EN_CHANGE-like codes in the high word are not clicks.
  SendMessageW(host.window(), WM_COMMAND, MAKEWPARAM(103, 1), 0);
  SendMessageW(host.window(), WM_COMMAND, MAKEWPARAM(105, 1), 0);
  EXPECT_EQ(Narrow(host.EditText(110)), "typed");
  EXPECT_TRUE(answerer.boxes().empty());
}

}  // namespace
}  // namespace ondrel::test
