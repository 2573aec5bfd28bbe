#pragma once
// The built ondrel.exe run by a test as its own process: started, its
// windows found, and ended with the test if it still runs. Every test that
// starts the real program goes through this one owner.

#include <windows.h>

#include <string>
#include <vector>

#include "organiser/win32/kernel_handle.h"

namespace ondrel::test {

// A guard against hanging, never a measure.
constexpr DWORD kOrganiserPatience = 60000;

// Copies ondrel.exe (from exe) and ondrel.lng (from the dist folder, which
// ends with a backslash) into folder, which ends with a backslash. False
// when a copy failed.
bool CopyOrganiser(const std::wstring& exe, const std::wstring& distFolder,
                   const std::wstring& folder);

// Top-level windows of className, of processId (0: of any process), in
// z-order.
std::vector<HWND> TopLevelWindows(const wchar_t* className, DWORD processId);

class StartedOrganiser {
 public:
  // Starts exe; currentFolder empty keeps the test's own current folder.
  explicit StartedOrganiser(const std::wstring& exe, const std::wstring& currentFolder = L"");
  // Ends a copy still running and waits for it.
  ~StartedOrganiser();
  StartedOrganiser(const StartedOrganiser&) = delete;
  StartedOrganiser& operator=(const StartedOrganiser&) = delete;

  bool started() const { return static_cast<bool>(process_); }
  DWORD id() const { return id_; }
  DWORD threadId() const { return threadId_; }
  HANDLE process() const { return process_.get(); }
  bool Running() const;
  // The process's visible top-level window of className, or null when the
  // process ended or patience ran out first.
  HWND WaitForWindow(const wchar_t* className, DWORD patience = kOrganiserPatience) const;
  // The main window ("Ondrel") once it is visible.
  HWND WaitForMainWindow(DWORD patience = kOrganiserPatience) const {
    return WaitForWindow(L"Ondrel", patience);
  }
  // The exit code, or STILL_ACTIVE when it did not end within patience.
  DWORD WaitForExit(DWORD patience = kOrganiserPatience) const;
  // Where the copy stands, for a failure message when no window came: the
  // error of a start that failed, the exit code of a copy that ended, or
  // that it still runs.
  std::string State() const;

 private:
  KernelHandle process_;
  KernelHandle thread_;
  DWORD id_ = 0;
  DWORD threadId_ = 0;
  DWORD startError_ = ERROR_SUCCESS;
};

// A whole file's bytes; empty when it cannot be read. Opened with every
// sharing allowed, so that a running organiser's file can be read.
std::vector<unsigned char> ReadFileBytes(const std::wstring& path);
// Writes bytes as the whole file; false on failure.
bool WriteFileBytes(const std::wstring& path, const std::vector<unsigned char>& bytes);
// The UTF-16LE bytes of text, as the organiser's files hold it.
std::vector<unsigned char> Utf16LeBytes(const std::wstring& text);
// True when bytes hold text as UTF-16LE.
bool HoldsText(const std::vector<unsigned char>& bytes, const std::wstring& text);

}  // namespace ondrel::test
