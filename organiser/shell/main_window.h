#pragma once
// The organiser's shell state and main window: language table, document
// store, the three pages, the active page, the focus ring and the tab strip.
// One instance lives from start-up to exit (WinMain); tests create one over
// a folder of their own (one at a time).

#include <windows.h>

#include <array>
#include <functional>
#include <memory>

#include "organiser/shell/shutdown_block.h"
#include "organiser/store/text.h"
#include "organiser/win32/dpi_scale.h"
#include "organiser/win32/focus_ring.h"
#include "organiser/win32/gdi_owners.h"

namespace ondrel {

class Clock;
class Database;
class FileSystem;
class LanguageTable;
class Page;
class TabStrip;

class MainWindow {
 public:
  // Makes the page of index 1 (notes), 2 (passwords) or 3 (phone book).
  using PageFactory =
      std::function<std::unique_ptr<Page>(int index, const LanguageTable& language)>;

  // programFolder ends with a backslash; "ondrel.lng" and "ondrel.db" are
  // found there. files and clock are not owned and must outlive this.
  MainWindow(Text programFolder, FileSystem& files, const Clock& clock);
  // The same with other pages than the organiser's own (for tests).
  MainWindow(Text programFolder, FileSystem& files, const Clock& clock, PageFactory makePage);
  // Destroys the main window if it still exists.
  ~MainWindow();

  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Loads the language table and the database and constructs the pages.
  // A database file that could not be read, or only in part, leaves a
  // warning for the main window to show.
  void Initialize();
  // Registers the window class "Ondrel" and creates the main window (the
  // tab strip and the three pages; the note page active) and shows it,
  // then the warning Initialize left, if any, in a message box over it.
  // Null when the window cannot be created or Initialize was not called.
  HWND Create();
  // Runs the message loop (Tab-key rule, dialog keys, dispatch) until
  // WM_QUIT; returns 0, or 1 when a message handler failed with an
  // exception and ended the loop.
  int RunMessageLoop();

  // Makes page index (1 notes, 2 passwords, 3 phone book) active, as a
  // click on its tab does. Nothing happens for the active page.
  void SwitchPage(int index);

  HWND window() const { return window_; }
  int currentPage() const { return currentPage_; }
  Page* page(int index) const { return pages_[index].get(); }
  Database* database() const { return database_.get(); }
  const LanguageTable& language() const { return *language_; }
  const FocusRing& focusRing() const { return *focusRing_; }
  const TabStrip& tabStrip() const { return *tabStrip_; }
  // The DPI the window is laid out at: the display's when it was created,
  // then the one each WM_DPICHANGED carried.
  int dpi() const { return dpi_; }
  // Whether the system is told that the program refuses to end the session
  // (a session-end save failed and nothing has been saved since).
  bool RefusesSessionEnd() const { return shutdownBlock_.IsSet(); }

  // The window class of the main window.
  static constexpr const wchar_t* kWindowClass = L"Ondrel";
  // Where the main window first stands and its size, and the smallest size
  // it can be dragged to, frame included: 100 % values, scaled to the
  // window's DPI.
  static constexpr POINT kFirstWindowOrigin{50, 100};
  static constexpr SIZE kFirstWindowSize{600, 450};
  static constexpr POINT kMinimumTrackSize{424, 438};

 private:
  static LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static void RegisterWindowClass();
  // Esc aimed at the main window or one of its controls: swallowed.
  bool IsEscapeOnPage(const MSG& message) const;
  void FocusFirstRingControl() const;

  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Shows startWarning_ once, owned by window.
  void ShowStartWarning(HWND window);
  // Hands a message to the active page; before there is one, messages the
  // shell handles answer 0 and the rest go to the default procedure.
  LRESULT PassOn(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool handledHere);

  LRESULT OnCreate(HWND window, WPARAM wParam, LPARAM lParam);
  // Closes the window unless the active page's save question ended in a
  // failed save.
  LRESULT OnClose(HWND window);
  LRESULT OnDestroy(HWND window, WPARAM wParam, LPARAM lParam);
  // The session is ending (log-off, shutdown): the active page saves its
  // edits without asking. When that fails the session is held, with the
  // reason, and the form keeps what was typed.
  LRESULT OnQueryEndSession(HWND window);
  // Lifts the session's hold once the active page has nothing unsaved.
  void LiftShutdownBlockWhenSaved();
  LRESULT OnDrawItem(HWND window, WPARAM wParam, LPARAM lParam);
  LRESULT OnWindowPosChanged(HWND window, WPARAM wParam, LPARAM lParam);
  // The window was moved to a display of another DPI (or that display's
  // scale changed): everything is made and laid out anew at the DPI the
  // message carries, in the rectangle it suggests.
  LRESULT OnDpiChanged(HWND window, WPARAM wParam, LPARAM lParam);
  LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam);
  LRESULT OnCtlColorStatic(HWND window, WPARAM wParam, LPARAM lParam);
  // Keeps the focused control over deactivation and gives it back.
  LRESULT OnActivate(HWND window, WPARAM wParam);
  void OnNcDestroy(HWND window);

  Text programFolder_;
  FileSystem& files_;
  const Clock& clock_;
  PageFactory makePage_;
  std::unique_ptr<LanguageTable> language_;
  std::unique_ptr<Database> database_;
  std::array<std::unique_ptr<Page>, 4> pages_;
  int currentPage_ = 0;
  std::unique_ptr<FocusRing> focusRing_;
  std::unique_ptr<TabStrip> tabStrip_;
  // Paints the tab band; lives while the main window does.
  Brush backgroundBrush_;
  HWND window_ = nullptr;
  int dpi_ = kDesignDpi;
  // The control that had the focus when the main window was deactivated.
  HWND focusBeforeDeactivation_ = nullptr;  // not owned
  // Set when a message handler threw: the loop then ends with exit code 1.
  bool handlerFailed_ = false;
  // What loading the database has to tell the user; empty when nothing.
  Text startWarning_;
  // Set while a session end was refused because edits could not be saved.
  ShutdownBlock shutdownBlock_;
};

// The minimum tracking size of the main window at dpi, for WM_GETMINMAXINFO.
void ApplyMinimumTrackSize(MINMAXINFO& info, int dpi);

}  // namespace ondrel
