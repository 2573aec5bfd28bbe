// The three real pages inside the real main window: switching tabs and
// closing with unsaved edits, the Tab key through the message loop, and
// data saved in one run shown in the next.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "organiser/platform/platform.h"
#include "organiser/shell/main_window.h"
#include "tests/pages/page_cases.h"
#include "tests/support/started_organiser.h"

namespace ondrel::test {
namespace {

constexpr int kNotesTab = 300;
constexpr int kPasswordsTab = 301;
constexpr int kPhoneTab = 302;

class MainWindowPagesTest : public ::testing::Test {
 protected:
  MainWindowPagesTest() : files_(NewPlatformFileSystem()), clock_(LocalTime{2011, 2, 1, 10, 30}) {}

  void SetUp() override {
    Text all = u"<Database>";
    for (const PageCase& page : AllPageCases()) {
      const Text text = page.FileText();
      all += text.substr(10, text.size() - 10 - 11);  // the blocks between the Database tags
    }
    all += u"</Database>";
    ASSERT_TRUE(WriteFileBytes(folder_.Native("ondrel.db"), LittleEndianBytes(all)));
    ASSERT_TRUE(WriteFileBytes(folder_.Native("ondrel.lng"), TestLanguageBytes()));
    Start();
  }

  void Start() {
    mainWindow_ = std::make_unique<MainWindow>(
        Text(reinterpret_cast<const char16_t*>(folder_.Prefix().c_str())), *files_, clock_);
    mainWindow_->Initialize();
    window_ = mainWindow_->Create();
    ASSERT_NE(window_, nullptr);
  }

  // Closes the main window as the close box does and ends the run.
  // As the close box does: the active page asks before the window goes.
  void Close() {
    SendMessageW(window_, WM_CLOSE, 0, 0);
    window_ = nullptr;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    mainWindow_.reset();
  }

  void TearDown() override {
    if (window_ != nullptr) {
      MessageBoxAnswerer answerNo;  // whatever is left unsaved is dropped
      Close();
    }
  }

  RecordPage& Page(int index) { return dynamic_cast<RecordPage&>(*mainWindow_->page(index)); }
  HWND Control(int id) const { return GetDlgItem(window_, id); }
  void ClickTab(int id) { SendMessageW(Control(id), BM_CLICK, 0, 0); }
  void Type(int id, const Text& text) {
    SendMessageW(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  Text EditText(int id) const {
    wchar_t buffer[256] = {};
    GetWindowTextW(Control(id), buffer, 256);
    return Text(reinterpret_cast<const char16_t*>(buffer));
  }
  Text FileText() const { return TextOfLittleEndianBytes(ReadFileBytes(folder_.Native("ondrel.db"))); }

  // A Tab key-down on target, through the program's own message loop.
  void PressTab(HWND target) {
    PostMessageW(target, WM_KEYDOWN, VK_TAB, 1);
    PostQuitMessage(0);
    mainWindow_->RunMessageLoop();
  }

  TempFolder folder_;
  std::unique_ptr<FileSystem> files_;
  FixedClock clock_;
  std::unique_ptr<MainWindow> mainWindow_;
  HWND window_ = nullptr;
};

TEST_F(MainWindowPagesTest, EveryPageListsItsOwnKindAtStartUp) {
  EXPECT_EQ(SendMessageW(Page(1).listView(), LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageW(Page(2).listView(), LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageW(Page(3).listView(), LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(Narrow(EditText(110)), "Shopping");
  EXPECT_EQ(Narrow(EditText(127)), "example.org");
  EXPECT_EQ(Narrow(EditText(150)), "annie");
  EXPECT_TRUE(IsWindowVisible(Control(110)));
  // The other pages' controls were made at size 0 and have not been laid
  // out yet: nothing of them shows.
  for (int id : {127, 150}) {
    RECT rect{};
    GetWindowRect(Control(id), &rect);
    EXPECT_TRUE(!IsWindowVisible(Control(id)) || IsRectEmpty(&rect)) << "control " << id;
  }
}

TEST_F(MainWindowPagesTest, LeavingAPageWithEditsAsksThereAndNoGivesThemUp) {
  {
    MessageBoxAnswerer answerer({IDNO});
    Type(110, u"typed on the note page");
    ClickTab(kPasswordsTab);
    EXPECT_EQ(answerer.boxes().size(), 1u);
  }
  EXPECT_EQ(mainWindow_->currentPage(), 2);
  EXPECT_FALSE(IsWindowVisible(Control(110)));
  EXPECT_TRUE(IsWindowVisible(Control(127)));
  {
    // The password page has nothing to save: coming back asks nothing.
    MessageBoxAnswerer answerer;
    ClickTab(kNotesTab);
    EXPECT_TRUE(answerer.boxes().empty());
  }
  EXPECT_EQ(Narrow(EditText(110)), "Shopping");
  EXPECT_EQ(FileText().find(u"typed on the note page"), Text::npos);
}

TEST_F(MainWindowPagesTest, LeavingAPageWithEditsAndYesSavesThem) {
  MessageBoxAnswerer answerer({IDYES});
  ClickTab(kPhoneTab);
  Type(160, u"note typed on the phone page");
  ClickTab(kPasswordsTab);
  EXPECT_EQ(answerer.boxes().size(), 1u);
  EXPECT_NE(FileText().find(u"<Body>note typed on the phone page</Body>"), Text::npos);
}

TEST_F(MainWindowPagesTest, ClosingAsksOnTheActivePageOnly) {
  {
    MessageBoxAnswerer answerer({IDNO});
    Type(110, u"left on the hidden note page");
    ClickTab(kPhoneTab);
    EXPECT_EQ(answerer.boxes().size(), 1u);
  }
  Type(150, u"nick saved on close");
  MessageBoxAnswerer answerer({IDYES});
  Close();
  EXPECT_EQ(answerer.boxes().size(), 1u);
  const Text file = FileText();
  EXPECT_NE(file.find(u"<NicName>nick saved on close</NicName>"), Text::npos);
  EXPECT_EQ(file.find(u"left on the hidden note page"), Text::npos);
}

TEST_F(MainWindowPagesTest, TabMovesAlongTheActivePagesRingAndWraps) {
  for (int tab : {kNotesTab, kPasswordsTab, kPhoneTab}) {
    SCOPED_TRACE(tab);
    ClickTab(tab);
    const FocusRing& ring = mainWindow_->focusRing();
    ASSERT_GT(ring.count(), 1u);
    for (std::uint32_t i = 0; i < ring.count(); ++i) {
      SetFocus(ring[i]);
      ASSERT_EQ(GetFocus(), ring[i]) << "ring entry " << i;
      PressTab(ring[i]);
      EXPECT_EQ(GetFocus(), ring[(i + 1) % ring.count()]) << "after ring entry " << i;
    }
  }
}

TEST_F(MainWindowPagesTest, WhatOneRunSavesTheNextRunShows) {
  Type(110, u"Subject of the first run");
  SendMessageW(Control(102), BM_CLICK, 0, 0);
  ClickTab(kPasswordsTab);
  SendMessageW(Control(125), BM_CLICK, 0, 0);  // New
  Type(127, u"new.site");
  Type(129, u"visible password");
  SendMessageW(Control(122), BM_CLICK, 0, 0);
  Close();

  Start();
  EXPECT_EQ(Narrow(EditText(110)), "Subject of the first run");
  ASSERT_EQ(SendMessageW(Page(2).listView(), LVM_GETITEMCOUNT, 0, 0), 4);
  ClickTab(kPasswordsTab);
  // The new entry kept its place at the end of the list.
  LVITEMW item{};
  wchar_t site[64] = {};
  item.pszText = site;
  item.cchTextMax = 64;
  SendMessageW(Page(2).listView(), LVM_GETITEMTEXTW, 3, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(std::wstring(site), L"new.site");
}

}  // namespace
}  // namespace ondrel::test
