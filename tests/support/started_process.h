#pragma once
// A copy of a program that a test starts: its process and thread handles
// held by owners, and the copy ended when the test no longer needs it.

#include <windows.h>

#include <string>

#include "organiser/win32/kernel_handle.h"

namespace ondrel::test {

class StartedProcess {
 public:
  StartedProcess() = default;
  // Ends a copy that still runs, waiting a while for it to go.
  ~StartedProcess() {
    if (Running()) {
      TerminateProcess(process_.get(), 99);
      WaitForSingleObject(process_.get(), kEndPatience);
    }
  }
  StartedProcess(const StartedProcess&) = delete;
  StartedProcess& operator=(const StartedProcess&) = delete;

  // Starts exe, its quoted path the whole command line, in folder (null:
  // the test's own current folder). False when it cannot be started.
  bool Start(const std::wstring& exe, const wchar_t* folder) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder, &startup, &started)) {
      return false;
    }
    process_.Reset(started.hProcess);
    thread_.Reset(started.hThread);
    id_ = started.dwProcessId;
    threadId_ = started.dwThreadId;
    return true;
  }

  bool started() const { return static_cast<bool>(process_); }
  bool Running() const {
    return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
  }
  // The exit code, or STILL_ACTIVE when the copy did not end within patience.
  DWORD WaitForExit(DWORD patience) const {
    if (!process_ || WaitForSingleObject(process_.get(), patience) != WAIT_OBJECT_0) {
      return STILL_ACTIVE;
    }
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.get(), &code);
    return code;
  }

  HANDLE handle() const { return process_.get(); }
  DWORD id() const { return id_; }
  DWORD threadId() const { return threadId_; }

 private:
  static constexpr DWORD kEndPatience = 60000;  // a guard against hanging

  KernelHandle process_;
  KernelHandle thread_;
  DWORD id_ = 0;
  DWORD threadId_ = 0;
};

}  // namespace ondrel::test
