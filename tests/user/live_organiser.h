#pragma once
// The built ondrel.exe run as its own process and used as a person uses it:
// real mouse clicks and key presses (SendInput, which goes through the
// platform's input queue, focus and activation like a hand on the keyboard),
// and its state read from outside (texts, list rows, focus, message boxes).

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/started_organiser.h"
#include "tests/support/temp_folder.h"

namespace ondrel::test {

// Where the organiser under test comes from: ONDREL_EXE_UNDER_TEST when set
// (to try an older build), else the build's dist folder.
std::wstring OrganiserUnderTest();

// A folder of its own holding ondrel.exe, ondrel.lng and the given database
// text; removed with everything in it.
class OrganiserFolder {
 public:
  explicit OrganiserFolder(const std::wstring& databaseText);
  OrganiserFolder(const OrganiserFolder&) = delete;
  OrganiserFolder& operator=(const OrganiserFolder&) = delete;

  const std::wstring& path() const { return path_; }
  std::wstring File(const wchar_t* name) const { return path_ + name; }
  // The database file as text (UTF-16LE without byte-order mark).
  std::wstring DatabaseText() const;
  // Puts a folder where the store writes its temporary file, so that every
  // save fails; Unblock takes it away.
  void BlockSaves() const;
  void UnblockSaves() const;

 private:
  TempFolder folder_;
  const std::wstring path_ = folder_.Prefix();
};

class LiveOrganiser {
 public:
  explicit LiveOrganiser(const OrganiserFolder& folder);
  ~LiveOrganiser();  // ends a copy still running
  LiveOrganiser(const LiveOrganiser&) = delete;
  LiveOrganiser& operator=(const LiveOrganiser&) = delete;

  // False when the program did not show its window; StartFailure then
  // says what became of it and how long it was waited for.
  bool Start();
  const std::string& StartFailure() const { return startFailure_; }
  bool Running() const;
  // The exit code, or STILL_ACTIVE when it did not end within a while.
  DWORD WaitForExit();

  HWND main() const { return main_; }
  HWND Item(int id) const { return GetDlgItem(main_, id); }
  // The children of the main window of a class, in creation order.
  std::vector<HWND> ChildrenOfClass(const wchar_t* className) const;

  // Input, each followed by waiting until the program has handled it.
  static constexpr int kMiddle = -100000;
  // Clicks a client point of window (it may lie outside, on the frame) once
  // that point shows window: its page shown and laid out, nothing over it.
  // A press on a button or an edit counts as handled once the program has
  // taken the mouse for it and let it go again. False, without a click,
  // when the point never showed window.
  bool Click(HWND window, int x = kMiddle, int y = kMiddle);
  void Key(WORD key, bool control = false, bool alt = false);
  // Types text with the keyboard; each character typed into an edit is
  // waited for until the edit's text has changed ("\r" is Enter).
  void Type(const std::wstring& text);
  // Puts text on the clipboard and presses Ctrl+V.
  void Paste(const std::wstring& text);
  void Settle() const;
  void Settle(std::size_t rounds) const;
  // Input is handled some time after SendInput returns, and a message sent
  // meanwhile can overtake it: waits (up to about ten seconds, for a
  // machine under load) until condition holds; returns whether it did.
  template <typename Condition>
  bool WaitUntil(Condition condition) const {
    for (int attempt = 0; attempt < 500; ++attempt) {
      if (condition()) return true;
      Sleep(20);
      Settle();
    }
    return condition();
  }

  // State.
  HWND Focus() const;
  std::vector<HWND> MessageBoxes() const;
  std::wstring Text(HWND window) const;
  int RowCount(HWND list) const;
  std::vector<int> SelectedRows(HWND list) const;
  std::wstring Cell(HWND list, int row, int column) const;
  RECT RowRect(HWND list, int row) const;  // client coordinates of the list
  int TopRow(HWND list) const;
  int RowsPerPage(HWND list) const;
  SYSTEMTIME PickerDate(HWND picker) const;
  // The pixels of a window as the screen shows them, row by row.
  std::vector<COLORREF> Pixels(HWND window) const;
  // The pixels once they have stopped changing, but for at most blinking
  // pixels (a caret): a loaded machine paints, and the X server shows what
  // was painted, some time after the program handled the input.
  std::vector<COLORREF> SteadyPixels(HWND window, int blinking) const;
  // Has the program repaint window and everything in it from scratch.
  void RepaintWhole(HWND window) const;
  // Clicks the button of a message box (IDYES, IDNO, IDOK).
  void Answer(HWND box, int button);

  // Sends message to the main window as the system does (the log-off and
  // shutdown messages); false when it was not handled in time.
  bool SendToMain(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& answer) const;
  // Ends the process at once, as the system does once a session has ended.
  void Kill();

 private:
  void* Remote(std::size_t bytes) const;
  // Sends inputs to the program once it is in the foreground; settle waits
  // for it to look at its messages as often as the inputs need, where the
  // caller has no better sign that they were handled.
  void Send(const std::vector<INPUT>& inputs, bool settle = true) const;
  // False, after failing the test with the box's caption and text and
  // answering it No or OK, when a message box stands open that target is
  // not part of.
  bool NoBoxInTheWay(HWND target);
  // The window holding the mouse for the program's thread, or null.
  HWND Capture() const;

  const OrganiserFolder& folder_;
  std::unique_ptr<StartedOrganiser> copy_;  // null until Start
  HWND main_ = nullptr;
  std::string startFailure_;
  mutable void* remote_ = nullptr;  // a buffer in the organiser's memory
};

}  // namespace ondrel::test
