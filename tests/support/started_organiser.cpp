#include "tests/support/started_organiser.h"

#include <algorithm>
#include <cstdio>

namespace ondrel::test {
namespace {

struct WindowSearch {
  const wchar_t* className;
  DWORD processId;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (lstrcmpW(className, search->className) == 0 &&
      (search->processId == 0 || owner == search->processId)) {
    search->found.push_back(window);
  }
  return TRUE;
}

}  // namespace

bool CopyOrganiser(const std::wstring& exe, const std::wstring& distFolder,
                   const std::wstring& folder) {
  return CopyFileW(exe.c_str(), (folder + L"ondrel.exe").c_str(), FALSE) &&
         CopyFileW((distFolder + L"ondrel.lng").c_str(), (folder + L"ondrel.lng").c_str(), FALSE);
}

std::vector<HWND> TopLevelWindows(const wchar_t* className, DWORD processId) {
  WindowSearch search{className, processId, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

StartedOrganiser::StartedOrganiser(const std::wstring& exe, const std::wstring& currentFolder) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  std::wstring commandLine = L"\"" + exe + L"\"";
  PROCESS_INFORMATION started{};
  // Under Wine a start now and then fails before the program runs at all;
  // such a start is tried again (three in all), and said on the error
  // output, which a failing test shows.
  for (int attempt = 1;; ++attempt) {
    if (CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       currentFolder.empty() ? nullptr : currentFolder.c_str(), &startup,
                       &started)) {
      break;
    }
    startError_ = GetLastError();
    std::fprintf(stderr, "starting the organiser failed with error %lu (start %d of 3)\n",
                 static_cast<unsigned long>(startError_), attempt);
    if (attempt == 3) return;
    Sleep(100);
  }
  process_.Reset(started.hProcess);
  thread_.Reset(started.hThread);
  id_ = started.dwProcessId;
  threadId_ = started.dwThreadId;
}

StartedOrganiser::~StartedOrganiser() {
  if (Running()) {
    TerminateProcess(process_.get(), 99);
    WaitForSingleObject(process_.get(), kOrganiserPatience);
  }
}

bool StartedOrganiser::Running() const {
  return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

HWND StartedOrganiser::WaitForWindow(const wchar_t* className, DWORD patience) const {
  if (!process_) return nullptr;
  for (DWORD waited = 0;; waited += 20) {
    for (HWND window : TopLevelWindows(className, id_)) {
      if (IsWindowVisible(window)) return window;
    }
    if (!Running() || waited >= patience) return nullptr;
    Sleep(20);
  }
}

DWORD StartedOrganiser::WaitForExit(DWORD patience) const {
  if (!process_ || WaitForSingleObject(process_.get(), patience) != WAIT_OBJECT_0) {
    return STILL_ACTIVE;
  }
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process_.get(), &code);
  return code;
}

std::string StartedOrganiser::State() const {
  if (!process_) return "not started: error " + std::to_string(startError_);
  if (Running()) return "still running";
  DWORD code = 0;
  GetExitCodeProcess(process_.get(), &code);
  char hex[16];
  std::snprintf(hex, sizeof(hex), "0x%08lX", static_cast<unsigned long>(code));
  return std::string("ended with exit code ") + hex;
}

std::vector<unsigned char> ReadFileBytes(const std::wstring& path) {
  std::vector<unsigned char> bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  unsigned char chunk[65536];
  DWORD read = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &read, nullptr) && read > 0) {
    bytes.insert(bytes.end(), chunk, chunk + read);
  }
  CloseHandle(file);
  return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::vector<unsigned char>& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool wrote =
      bytes.empty() ||
      (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
       written == bytes.size());
  return CloseHandle(file) && wrote;
}

std::vector<unsigned char> Utf16LeBytes(const std::wstring& text) {
  std::vector<unsigned char> bytes;
  bytes.reserve(text.size() * 2);
  for (wchar_t unit : text) {
    bytes.push_back(static_cast<unsigned char>(unit & 0xFF));
    bytes.push_back(static_cast<unsigned char>((unit >> 8) & 0xFF));
  }
  return bytes;
}

bool HoldsText(const std::vector<unsigned char>& bytes, const std::wstring& text) {
  const std::vector<unsigned char> probe = Utf16LeBytes(text);
  return std::search(bytes.begin(), bytes.end(), probe.begin(), probe.end()) != bytes.end();
}

}  // namespace ondrel::test
