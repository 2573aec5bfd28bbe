// The main window in this process: the Tab-key rule through the real
// message loop, the minimum size, the tab strip's geometry and drawing, and
// page switching, over pages that record what the shell asks of them.

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include <memory>
#include <string>
#include <vector>

#include "organiser/shell/main_window.h"
#include "organiser/shell/tab_strip.h"
#include "organiser/store/clock.h"
#include "tests/shell/recording_page.h"
#include "tests/support/memory_file_system.h"
#include "tests/text/language_bytes.h"

namespace ondrel::test {
namespace {

using Log = std::vector<std::string>;

const Text kFolder = u"C:\\organiser\\";
const Text kTestLanguage =
    u"[MainWindow]\r\nSoftwareTitleEng=Shell Test\r\nTab1Eng=Notes\r\n"
    u"Tab2Eng=Passwords\r\nTab3Eng=Phone Book With A Long Caption\r\n";

class MainWindowTest : public ::testing::Test {
 protected:
  void Start(const Text& language = kTestLanguage) {
    files_.Put(kFolder + u"ondrel.lng", LanguageBytes(language));
    mainWindow_ = std::make_unique<MainWindow>(
        kFolder, files_, clock_, [this](int index, const LanguageTable&) {
          auto page = std::make_unique<RecordingPage>(index, log_);
          pages_[index] = page.get();
          return page;
        });
    mainWindow_->Initialize();
    window_ = mainWindow_->Create();
    ASSERT_NE(window_, nullptr);
  }

  void TearDown() override {
    if (window_ != nullptr) DestroyWindow(window_);
    mainWindow_.reset();
    // The active page posts WM_QUIT when the window goes; leave the queue
    // empty for the next test.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  // Posts a key-down of Tab to target and runs the real loop until the
  // queue is empty.
  void PressTab(HWND target) {
    PostMessageW(target, WM_KEYDOWN, VK_TAB, 1);
    PostQuitMessage(0);
    EXPECT_EQ(mainWindow_->RunMessageLoop(), 0);
  }

  void SetShiftDown(bool down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = down ? 0x80 : 0;
    SetKeyboardState(keys);
  }

  RECT ChildRect(HWND child) const {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, window_, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }

  void ResizeClient(int width, int height) {
    RECT rect{0, 0, width, height};
    AdjustWindowRectEx(&rect, WS_OVERLAPPEDWINDOW, FALSE, 0);
    SetWindowPos(window_, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOMOVE | SWP_NOZORDER);
  }

  MemoryFileSystem files_;
  FixedClock clock_{LocalTime{2024, 5, 17, 9, 7}};
  Log log_;
  RecordingPage* pages_[4] = {};
  std::unique_ptr<MainWindow> mainWindow_;
  HWND window_ = nullptr;
};

TEST_F(MainWindowTest, StartsWithNotePageActiveAndItsRingFilled) {
  Start();
  EXPECT_EQ(log_, (Log{"1 Create", "2 Create", "3 Create", "1 Show", "1 FillFocusRing"}));
  EXPECT_EQ(mainWindow_->currentPage(), 1);
  EXPECT_EQ(mainWindow_->tabStrip().selected(), mainWindow_->tabStrip().button(1));
  ASSERT_EQ(mainWindow_->focusRing().count(), 3u);
  EXPECT_EQ(mainWindow_->focusRing()[0], pages_[1]->ringEdit(0));
  wchar_t title[64] = {};
  GetWindowTextW(window_, title, 64);
  EXPECT_STREQ(title, L"Shell Test");
  WINDOWINFO info{};
  info.cbSize = sizeof(info);
  GetWindowInfo(window_, &info);
  EXPECT_EQ(info.rcWindow.left, 50);
  EXPECT_EQ(info.rcWindow.top, 100);
  EXPECT_EQ(info.rcWindow.right - info.rcWindow.left, 600);
  EXPECT_EQ(info.rcWindow.bottom - info.rcWindow.top, 450);
  EXPECT_EQ(info.dwStyle & WS_OVERLAPPEDWINDOW, static_cast<DWORD>(WS_OVERLAPPEDWINDOW));
}

TEST_F(MainWindowTest, TabMovesAlongTheRingAndWrapsFromLastToFirst) {
  Start();
  RecordingPage& page = *pages_[1];
  SetFocus(page.ringEdit(0));
  PressTab(page.ringEdit(0));
  EXPECT_EQ(GetFocus(), page.ringEdit(1));
  PressTab(page.ringEdit(1));
  EXPECT_EQ(GetFocus(), page.ringEdit(2));
  PressTab(page.ringEdit(2));
  EXPECT_EQ(GetFocus(), page.ringEdit(0));
}

TEST_F(MainWindowTest, ShiftTabAlsoMovesForward) {
  Start();
  RecordingPage& page = *pages_[1];
  SetFocus(page.ringEdit(1));
  SetShiftDown(true);
  PressTab(page.ringEdit(1));
  SetShiftDown(false);
  EXPECT_EQ(GetFocus(), page.ringEdit(2));
}

TEST_F(MainWindowTest, TabRuleLeavesOtherKeysAndWindowsAlone) {
  Start();
  RecordingPage& page = *pages_[1];
  const FocusRing& ring = mainWindow_->focusRing();
  SetFocus(page.outsideEdit());
  struct Case {
    const char* name;
    HWND target;
    UINT message;
    WPARAM key;
  };
  const Case cases[] = {
      {"window outside the ring", page.outsideEdit(), WM_KEYDOWN, VK_TAB},
      {"tab button", mainWindow_->tabStrip().button(2), WM_KEYDOWN, VK_TAB},
      {"key up of Tab", page.ringEdit(0), WM_KEYUP, VK_TAB},
      {"character Tab", page.ringEdit(0), WM_CHAR, VK_TAB},
      {"another key", page.ringEdit(0), WM_KEYDOWN, 'A'},
  };
  for (const Case& c : cases) {
    MSG message{};
    message.hwnd = c.target;
    message.message = c.message;
    message.wParam = c.key;
    EXPECT_FALSE(HandleFocusRingTab(ring, message)) << c.name;
    EXPECT_EQ(GetFocus(), page.outsideEdit()) << c.name;
  }
  FocusRing empty;
  MSG tab{};
  tab.hwnd = page.ringEdit(0);
  tab.message = WM_KEYDOWN;
  tab.wParam = VK_TAB;
  EXPECT_FALSE(HandleFocusRingTab(empty, tab));
  EXPECT_TRUE(HandleFocusRingTab(ring, tab));
  EXPECT_EQ(GetFocus(), page.ringEdit(1));
}

TEST_F(MainWindowTest, MinimumTrackingSizeIsSetAndNothingElse) {
  Start();
  MINMAXINFO info{};
  info.ptMaxSize = {1234, 987};
  info.ptMaxTrackSize = {2000, 1500};
  info.ptMinTrackSize = {1, 1};
  SendMessageW(window_, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 424);
  EXPECT_EQ(info.ptMinTrackSize.y, 438);
  EXPECT_EQ(info.ptMaxSize.x, 1234);
  EXPECT_EQ(info.ptMaxTrackSize.y, 1500);
}

int WidestCaptionExtent(HWND window, const std::vector<const wchar_t*>& captions) {
  HDC dc = GetWindowDC(window);
  int widest = 0;
  for (const wchar_t* caption : captions) {
    SIZE size{};
    GetTextExtentPoint32W(dc, caption, lstrlenW(caption), &size);
    widest = std::max(widest, static_cast<int>(size.cx));
  }
  ReleaseDC(window, dc);
  return widest;
}

TEST_F(MainWindowTest, TabStripGeometryFollowsScreenOrderAndClientWidth) {
  Start();
  const TabStrip& strip = mainWindow_->tabStrip();
  const int width =
      WidestCaptionExtent(window_, {L"Notes", L"Passwords", L"Phone Book With A Long Caption"}) + 6;
  ASSERT_GT(width, 6);
  for (int clientWidth : {700, 432}) {
    ResizeClient(clientWidth, 400);
    RECT client{};
    GetClientRect(window_, &client);
    ASSERT_EQ(client.right, clientWidth);
    const RECT tab1 = ChildRect(strip.button(1));
    const RECT tab3 = ChildRect(strip.button(3));
    const RECT tab2 = ChildRect(strip.button(2));
    const RECT band = ChildRect(strip.band());
    EXPECT_EQ(tab1.left, 8);
    EXPECT_EQ(tab3.left, 8 + width);
    EXPECT_EQ(tab2.left, 8 + 2 * width);
    for (const RECT& tab : {tab1, tab2, tab3}) {
      EXPECT_EQ(tab.top, 5);
      EXPECT_EQ(tab.right - tab.left, width);
      EXPECT_EQ(tab.bottom - tab.top, 19);
    }
    EXPECT_EQ(band.left, 3);
    EXPECT_EQ(band.top, 2);
    EXPECT_EQ(band.right - band.left, clientWidth - 7);
    EXPECT_EQ(band.bottom - band.top, 22);
  }
}

TEST_F(MainWindowTest, EmptyCaptionsGiveSixPixelTabs) {
  Start(u"[MainWindow]\r\nSoftwareTitleEng=t\r\n");
  const RECT tab2 = ChildRect(mainWindow_->tabStrip().button(2));
  EXPECT_EQ(tab2.right - tab2.left, 6);
  EXPECT_EQ(tab2.left, 8 + 12);
}

// What one rendered tab button shows in the columns and rows that matter.
struct RenderedTab {
  COLORREF fill;
  COLORREF leftEdge;
  COLORREF topEdge;
  COLORREF rightEdge;
};

// Renders a tab button the way the window does it: a WM_DRAWITEM for the
// button, sent to the main window, with a memory device context.
RenderedTab Render(HWND mainWindow, HWND button) {
  RECT rect{};
  GetClientRect(button, &rect);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, rect.right, rect.bottom);
  ReleaseDC(nullptr, screen);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
  FillRect(memory, &rect, magenta);
  DeleteObject(magenta);

  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_BUTTON;
  item.CtlID = static_cast<UINT>(GetDlgCtrlID(button));
  item.itemAction = ODA_DRAWENTIRE;
  item.hwndItem = button;
  item.hDC = memory;
  item.rcItem = rect;
  SendMessageW(mainWindow, WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));

  // Row 5 from the top: below the top edge, inside the separator's span,
  // and clear of the centred caption at the edges.
  RenderedTab rendered{GetPixel(memory, 2, 2), GetPixel(memory, 0, 5), GetPixel(memory, 2, 0),
                       GetPixel(memory, rect.right - 1, 5)};
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  return rendered;
}

TEST_F(MainWindowTest, SelectedTabIsRaisedAndSeparatorsFollowTheSelection) {
  Start();
  const TabStrip& strip = mainWindow_->tabStrip();
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const COLORREF white = RGB(255, 255, 255);
  const COLORREF black = RGB(0, 0, 0);
  const COLORREF band = kTabBandColour;
  const COLORREF grey = kTabSeparatorColour;
  // Per active page: the expected right-edge colour of tab1, tab3, tab2 in
  // screen order. The selected tab has a black right edge; a flat tab has a
  // grey separator unless the selected tab stands right of it.
  struct Case {
    int page;
    COLORREF rightEdges[3];
  };
  const Case cases[] = {
      {2, {grey, band, black}},
      {3, {band, black, grey}},
      {1, {black, grey, grey}},
  };
  const int screenOrder[3] = {1, 3, 2};
  for (const Case& c : cases) {
    mainWindow_->SwitchPage(c.page);
    ASSERT_EQ(strip.selected(), strip.button(c.page));
    for (int i = 0; i < 3; ++i) {
      const int page = screenOrder[i];
      const RenderedTab tab = Render(window_, strip.button(page));
      const bool selected = page == c.page;
      SCOPED_TRACE("active page " + std::to_string(c.page) + ", tab of page " + std::to_string(page));
      EXPECT_EQ(tab.fill, selected ? face : band);
      EXPECT_EQ(tab.leftEdge, selected ? white : band);
      EXPECT_EQ(tab.topEdge, selected ? white : band);
      EXPECT_EQ(tab.rightEdge, c.rightEdges[i]);
    }
  }
}

TEST_F(MainWindowTest, TabClickSwitchesPagesInOrderAndPassesTheCommandOn) {
  Start();
  log_.clear();
  SendMessageW(window_, WM_COMMAND, MAKEWPARAM(301, BN_CLICKED),
               reinterpret_cast<LPARAM>(mainWindow_->tabStrip().button(2)));
  EXPECT_EQ(log_, (Log{"1 Hide", "2 Show", "2 FillFocusRing", "2 Command 301"}));
  EXPECT_EQ(mainWindow_->currentPage(), 2);
  EXPECT_EQ(mainWindow_->focusRing()[0], pages_[2]->ringEdit(0));
  EXPECT_EQ(GetFocus(), pages_[2]->ringEdit(0)) << "the focus goes to the shown page";
  wchar_t caption[64] = {};
  GetWindowTextW(mainWindow_->tabStrip().button(3), caption, 64);
  EXPECT_STREQ(caption, L"Phone Book With A Long Caption");
}

TEST_F(MainWindowTest, SwitchToTheActivePageDoesNothing) {
  Start();
  SendMessageW(window_, WM_COMMAND, 302, 0);
  log_.clear();
  const HWND firstInRing = mainWindow_->focusRing()[0];
  mainWindow_->SwitchPage(3);
  SendMessageW(window_, WM_COMMAND, 302, 0);
  EXPECT_EQ(log_, (Log{"3 Command 302"}));
  EXPECT_EQ(mainWindow_->currentPage(), 3);
  EXPECT_EQ(mainWindow_->focusRing()[0], firstInRing);
}

TEST_F(MainWindowTest, OnlyAPlainClickNotificationSwitches) {
  Start();
  log_.clear();
  SendMessageW(window_, WM_COMMAND, MAKEWPARAM(302, BN_SETFOCUS), 0);
  EXPECT_EQ(mainWindow_->currentPage(), 1);
  EXPECT_EQ(log_, (Log{"1 Command 302"}));
}

TEST_F(MainWindowTest, BandIsPaintedInTheBandColour) {
  Start();
  HDC dc = GetDC(window_);
  const LRESULT result = SendMessageW(window_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                      reinterpret_cast<LPARAM>(mainWindow_->tabStrip().band()));
  const COLORREF background = GetBkColor(dc);
  ReleaseDC(window_, dc);
  LOGBRUSH brush{};
  ASSERT_NE(GetObjectW(reinterpret_cast<HBRUSH>(result), sizeof(brush), &brush), 0);
  EXPECT_EQ(brush.lbColor, kTabBandColour);
  EXPECT_EQ(background, kTabBandColour);
}

TEST_F(MainWindowTest, ClosingAsksTheActivePageAndEndsTheLoopOnlyWhenItMayClose) {
  Start();
  mainWindow_->SwitchPage(2);
  // The active page's save failed: the window stays, and the loop goes on.
  pages_[2]->SetMayClose(false);
  log_.clear();
  SendMessageW(window_, WM_CLOSE, 0, 0);
  EXPECT_EQ(log_, (Log{"2 OfferToSave"}));
  EXPECT_TRUE(IsWindow(window_));
  MSG quit{};
  EXPECT_FALSE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));

  pages_[2]->SetMayClose(true);
  log_.clear();
  PostMessageW(window_, WM_CLOSE, 0, 0);
  EXPECT_EQ(mainWindow_->RunMessageLoop(), 0);
  EXPECT_EQ(log_, (Log{"2 OfferToSave", "2 Destroy"}));
  EXPECT_EQ(mainWindow_->window(), nullptr);
  EXPECT_FALSE(IsWindow(window_));
  window_ = nullptr;
}

// Nobody may be there at a session's end: the active page saves without
// asking, the answer says whether it could, and the end itself asks
// nothing of any page.
TEST_F(MainWindowTest, ASessionEndHasTheActivePageSaveAndIsRefusedOnlyWhenThatFails) {
  Start();
  mainWindow_->SwitchPage(3);
  for (const bool saves : {false, true}) {
    SCOPED_TRACE(saves);
    pages_[3]->SetMayClose(saves);
    log_.clear();
    EXPECT_EQ(SendMessageW(window_, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), saves ? TRUE : FALSE);
    EXPECT_EQ(log_, (Log{"3 SaveForSessionEnd"}));
    log_.clear();
    EXPECT_EQ(SendMessageW(window_, WM_ENDSESSION, saves, ENDSESSION_LOGOFF), 0);
    EXPECT_TRUE(log_.empty());
    EXPECT_TRUE(IsWindow(window_));
  }
}

// A page whose save failed keeps the window as it was, whichever way the
// user (or the system) tried to leave it: the page, its tab, its ring and
// the focus stay, and the program goes on. Once the page has saved, the
// same route goes through.
TEST_F(MainWindowTest, APageThatCannotBeLeftKeepsTheWindowAsItWas) {
  struct Route {
    const char* name;
    std::function<void()> go;
    Log asked;
  };
  const Route routes[] = {
      {"tab click",
       [this] { SendMessageW(window_, WM_COMMAND, 302, 0); },
       {"2 Hide"}},
      {"close box", [this] { SendMessageW(window_, WM_CLOSE, 0, 0); },
       {"2 OfferToSave"}},
      {"log-off",
       [this] { SendMessageW(window_, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF); },
       {"2 SaveForSessionEnd"}},
  };
  for (const Route& route : routes) {
    SCOPED_TRACE(route.name);
    Start();
    mainWindow_->SwitchPage(2);
    SetFocus(pages_[2]->ringEdit(1));
    pages_[2]->SetMayClose(false);
    log_.clear();
    route.go();
    // A Hide that was refused is followed by the tab's command, as always.
    Log asked = route.asked;
    if (std::string(route.name) == "tab click") asked.push_back("2 Command 302");
    EXPECT_EQ(log_, asked);
    EXPECT_EQ(mainWindow_->currentPage(), 2);
    EXPECT_EQ(mainWindow_->tabStrip().selected(), mainWindow_->tabStrip().button(2));
    EXPECT_EQ(mainWindow_->focusRing()[0], pages_[2]->ringEdit(0));
    EXPECT_EQ(GetFocus(), pages_[2]->ringEdit(1));
    EXPECT_TRUE(IsWindow(window_));
    MSG quit{};
    EXPECT_FALSE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    EXPECT_EQ(mainWindow_->RefusesSessionEnd(), std::string(route.name) == "log-off");

    // Saved after all (the page has nothing unsaved): the next message the
    // window handles lifts the refusal, and the route goes through.
    pages_[2]->SetMayClose(true);
    SendMessageW(window_, WM_NULL, 0, 0);
    EXPECT_FALSE(mainWindow_->RefusesSessionEnd());
    route.go();
    if (std::string(route.name) == "tab click") {
      EXPECT_EQ(mainWindow_->currentPage(), 3);
    }
    if (std::string(route.name) == "close box") {
      EXPECT_FALSE(IsWindow(window_));
      window_ = nullptr;
    }
    TearDown();
  }
}

// Keys reach the window through the program's own loop: Tab follows the
// ring, and Esc anywhere on the window does nothing (the dialog keyboard
// interface would send the window Cancel, or close it from a multi-line
// edit).
TEST_F(MainWindowTest, TheLoopTakesTabByTheRingAndIgnoresEscOnTheWindow) {
  Start();
  RecordingPage& page = *pages_[1];
  struct Key {
    const char* name;
    HWND target;
    WPARAM key;
    HWND focusAfter;
  };
  const Key keys[] = {
      {"Tab on the last of the ring", page.ringEdit(2), VK_TAB, page.ringEdit(0)},
      {"Esc in a ring edit", page.ringEdit(1), VK_ESCAPE, page.ringEdit(1)},
      {"Esc in an edit outside the ring", page.outsideEdit(), VK_ESCAPE, page.outsideEdit()},
      {"Esc on the window itself", window_, VK_ESCAPE, window_},
  };
  for (const Key& key : keys) {
    SCOPED_TRACE(key.name);
    SetFocus(key.target);
    log_.clear();
    PostMessageW(key.target, WM_KEYDOWN, key.key, 1);
    PostMessageW(key.target, WM_KEYUP, key.key, 0xC0000001);
    PostQuitMessage(0);
    EXPECT_EQ(mainWindow_->RunMessageLoop(), 0);
    EXPECT_EQ(GetFocus(), key.focusAfter);
    EXPECT_EQ(log_, Log{}) << "the key reached the page as a command";
    EXPECT_TRUE(IsWindow(window_));
  }
}

TEST_F(MainWindowTest, AFailureInAPageEndsTheLoopWithExitCodeOne) {
  Start();
  PostMessageW(window_, WM_COMMAND, RecordingPage::kFailingCommand, 0);
  EXPECT_EQ(mainWindow_->RunMessageLoop(), 1);
}

TEST_F(MainWindowTest, ASecondMainWindowInTheSameProcessWorks) {
  Start();
  DestroyWindow(window_);
  window_ = nullptr;
  mainWindow_.reset();
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
  log_.clear();
  Start();
  EXPECT_EQ(log_, (Log{"1 Create", "2 Create", "3 Create", "1 Show", "1 FillFocusRing"}));
  SendMessageW(window_, WM_COMMAND, 302, 0);
  EXPECT_EQ(mainWindow_->currentPage(), 3);
  EXPECT_EQ(mainWindow_->tabStrip().selected(), mainWindow_->tabStrip().button(3));
  wchar_t caption[64] = {};
  GetWindowTextW(mainWindow_->tabStrip().button(1), caption, 64);
  EXPECT_STREQ(caption, L"Notes");
}

TEST_F(MainWindowTest, MissingLanguageFileGivesAnUntitledWindow) {
  files_.Put(kFolder + u"other.lng", LanguageBytes(kTestLanguage));
  mainWindow_ = std::make_unique<MainWindow>(
      u"C:\\elsewhere\\", files_, clock_,
      [this](int index, const LanguageTable&) { return std::make_unique<RecordingPage>(index, log_); });
  mainWindow_->Initialize();
  window_ = mainWindow_->Create();
  ASSERT_NE(window_, nullptr);
  EXPECT_EQ(GetWindowTextLengthW(window_), 0);
  EXPECT_EQ(GetWindowTextLengthW(mainWindow_->tabStrip().button(1)), 0);
}

}  // namespace
}  // namespace ondrel::test
