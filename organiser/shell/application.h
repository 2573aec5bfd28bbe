#pragma once
// The organiser's shell state and main window: language table, document
// store, the three pages, the active page, the focus ring and the tab strip.
// One instance lives from start-up to exit (WinMain); tests create one over
// a folder of their own.

#include <windows.h>

#include <array>
#include <memory>

#include "organiser/shell/focus_ring.h"
#include "organiser/store/text.h"

namespace ondrel {

class Clock;
class Database;
class FileSystem;
class LanguageTable;
class Page;

class Application {
 public:
  // programFolder ends with a backslash; "ondrel.lng" and "ondrel.db" are
  // found there. files and clock are not owned and must outlive this.
  Application(Text programFolder, FileSystem& files, const Clock& clock);
  ~Application();

  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Loads the language table and the database and constructs the pages.
  void Initialize();
  // Registers the window class "Ondrel" and creates the main window (the
  // tab strip and the three pages; the note page active) and shows it.
  // Null when the window cannot be created.
  HWND CreateMainWindow();
  // Runs the message loop (Tab-key rule, dialog keys, dispatch) until
  // WM_QUIT; returns 0.
  int RunMessageLoop();

  // Makes page index (1 notes, 2 passwords, 3 phone book) active, as a
  // click on its tab does.
  void SwitchPage(int index);

  HWND mainWindow() const { return mainWindow_; }
  int currentPage() const { return currentPage_; }
  Page* page(int index) const { return pages_[index].get(); }
  Database* database() const { return database_.get(); }
  const LanguageTable& language() const { return *language_; }
  const FocusRing& focusRing() const { return *focusRing_; }

 private:
  // (further members are the shell's own)
  Text programFolder_;
  FileSystem& files_;
  const Clock& clock_;
  std::unique_ptr<LanguageTable> language_;
  std::unique_ptr<Database> database_;
  std::array<std::unique_ptr<Page>, 4> pages_;
  int currentPage_ = 0;
  std::unique_ptr<FocusRing> focusRing_;
  HWND mainWindow_ = nullptr;
};

}  // namespace ondrel
