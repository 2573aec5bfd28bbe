#pragma once
// What the page tests share: a temporary folder with a prepared "ondrel.db"
// and "ondrel.lng", a plain top-level window that passes its messages to a
// page as the main window does, helpers that act like a user on the real
// controls, and a helper thread that answers the real message boxes.

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "organiser/pages/page.h"
#include "organiser/pages/record_page.h"
#include "organiser/store/clock.h"
#include "organiser/store/database.h"
#include "organiser/store/file_system.h"
#include "organiser/store/text.h"
#include "organiser/store/utf16_bytes.h"
#include "organiser/text/language_table.h"
#include "tests/support/started_organiser.h"
#include "tests/support/temp_folder.h"
#include "tests/support/unexpected_box_watch.h"

namespace ondrel::test {

// ASCII literal to store text.
Text T(const char* ascii);
// Store text to ASCII/UTF-8-ish std::string for failure messages.
std::string Narrow(const Text& text);

// One stored record: the kind, its modification stamp and its elements in
// written order (empty values are left out, as the store writes them).
struct StoredRecord {
  const char* kind;
  const char* modifyDate;
  std::vector<std::pair<const char*, const char*>> elements;
};
Text DatabaseText(const std::vector<StoredRecord>& records);

// The language file the tests load: every key the pages use, with texts
// that say which key they are.
std::vector<unsigned char> TestLanguageBytes();


// Answers every message box that the UI thread opens while it lives: the
// scripted answers in turn (IDYES, IDNO, IDOK), then No or OK. Records
// each box's caption and text.
class MessageBoxAnswerer {
 public:
  struct Box {
    Text caption;
    Text text;
    bool hasYesNo = false;
  };

  explicit MessageBoxAnswerer(std::vector<int> answers = {});
  // Answers the boxes of another process instead (a running organiser).
  static std::unique_ptr<MessageBoxAnswerer> ForProcess(DWORD processId, std::vector<int> answers);
  ~MessageBoxAnswerer();
  MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
  MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

  std::vector<Box> boxes() const;

 private:
  MessageBoxAnswerer(DWORD processId, std::vector<int> answers);
  void Run();
  HWND FindBox() const;

  ExpectingBoxes expecting_;
  DWORD uiThread_;
  DWORD processId_ = 0;  // 0: boxes of uiThread_
  std::vector<int> answers_;
  std::size_t nextAnswer_ = 0;
  std::vector<Box> boxes_;
  mutable std::mutex mutex_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

enum class PageKind { kNote, kPassword, kPhone };

// A page created over a temporary folder, inside a top-level window of the
// given client size whose window procedure passes everything to the page.
class PageHost {
 public:
  PageHost(PageKind kind, const Text& databaseText, int clientWidth = 600, int clientHeight = 420);
  ~PageHost();
  PageHost(const PageHost&) = delete;
  PageHost& operator=(const PageHost&) = delete;

  RecordPage& page() { return *page_; }
  HWND window() const { return window_; }
  Database& database() { return *database_; }
  // The store's clock, which the note page also reads for today.
  FixedClock& clock() { return clock_; }
  const TempFolder& folder() const { return folder_; }
  std::wstring DatabasePath() const { return folder_.Native(L"ondrel.db"); }

  HWND Control(int id) const { return GetDlgItem(window_, id); }
  HWND Slot(std::size_t slot) const { return page_->controls().at(slot); }
  HWND ListView() const { return page_->listView(); }

  // What a user's actions send.
  void Type(int editId, const Text& text);
  void Click(int buttonId);
  void ClickRow(int row);
  void Resize(int clientWidth, int clientHeight);
  // Closes the window as the close box does (the page may first ask to save).
  void Close();

  Text EditText(int editId) const;
  int RowCount() const;
  Text Cell(int row, int column) const;
  Document* RowDocument(int row) const;
  int SelectedRow() const;
  std::vector<int> SelectedRows() const;
  Text DatabaseFileText() const;
  std::vector<unsigned char> DatabaseFileBytes() const;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  TempFolder folder_;
  std::unique_ptr<FileSystem> files_;
  FixedClock clock_;
  LanguageTable language_;
  std::unique_ptr<Database> database_;
  std::unique_ptr<RecordPage> page_;
  HWND window_ = nullptr;
};

// A rectangle of a child in its parent's client coordinates.
RECT ChildRect(HWND child);

}  // namespace ondrel::test
