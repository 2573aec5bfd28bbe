// The real ondrel.exe from the build's dist folder, started as a user would:
// one copy at a time, its files found beside the executable whatever the
// current directory, a clean exit on WM_CLOSE, and saved data there in the
// next run.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/started_process.h"

namespace {

using ondrel::test::StartedProcess;

const std::wstring kDistFolder = L"" ONDREL_DIST_DIR_WIDE L"\\";
constexpr DWORD kPatience = 60000;  // a guard against hanging, never a measure

std::wstring TempFolder(const wchar_t* name) {
  wchar_t base[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, base);
  std::wstring folder =
      std::wstring(base) + L"ondrel-" + name + L"-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

void RemoveFolder(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name != L"." && name != L"..") DeleteFileW((folder + name).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

std::vector<unsigned char> ReadFile(const std::wstring& path) {
  std::vector<unsigned char> bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  unsigned char chunk[4096];
  DWORD read = 0;
  while (::ReadFile(file, chunk, sizeof(chunk), &read, nullptr) && read > 0) {
    bytes.insert(bytes.end(), chunk, chunk + read);
  }
  CloseHandle(file);
  return bytes;
}

bool Contains(const std::vector<unsigned char>& bytes, const std::wstring& text) {
  std::vector<unsigned char> probe;
  for (wchar_t unit : text) {
    probe.push_back(static_cast<unsigned char>(unit & 0xFF));
    probe.push_back(static_cast<unsigned char>(unit >> 8));
  }
  return std::search(bytes.begin(), bytes.end(), probe.begin(), probe.end()) != bytes.end();
}

struct WindowSearch {
  DWORD processId;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectOndrelWindow(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<WindowSearch*>(lParam);
  wchar_t className[32] = {};
  GetClassNameW(window, className, 32);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (lstrcmpW(className, L"Ondrel") == 0 && (search->processId == 0 || owner == search->processId)) {
    search->windows.push_back(window);
  }
  return TRUE;
}

// Top-level "Ondrel" windows of processId (0: of any process).
std::vector<HWND> OndrelWindows(DWORD processId) {
  WindowSearch search{processId, {}};
  EnumWindows(CollectOndrelWindow, reinterpret_cast<LPARAM>(&search));
  return search.windows;
}

HWND WaitForMainWindow(const StartedProcess& copy) {
  for (DWORD waited = 0; waited < kPatience; waited += 50) {
    const std::vector<HWND> windows = OndrelWindows(copy.id());
    if (!windows.empty() && IsWindowVisible(windows.front())) return windows.front();
    if (!copy.Running()) return nullptr;
    Sleep(50);
  }
  return nullptr;
}

std::wstring WindowText(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    installFolder_ = TempFolder(L"install");
    otherFolder_ = TempFolder(L"elsewhere");
    exe_ = installFolder_ + L"ondrel.exe";
    ASSERT_TRUE(CopyFileW((kDistFolder + L"ondrel.exe").c_str(), exe_.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW((kDistFolder + L"ondrel.lng").c_str(),
                          (installFolder_ + L"ondrel.lng").c_str(), FALSE));
    ASSERT_TRUE(OndrelWindows(0).empty()) << "another organiser is running";
  }
  void TearDown() override {
    RemoveFolder(installFolder_);
    RemoveFolder(otherFolder_);
  }

  std::wstring installFolder_;
  std::wstring otherFolder_;
  std::wstring exe_;
};

TEST_F(ProgramTest, SecondCopyEndsAtOnceWhileTheFirstRuns) {
  StartedProcess first;
  ASSERT_TRUE(first.Start(exe_, otherFolder_.c_str()));
  const HWND window = WaitForMainWindow(first);
  ASSERT_NE(window, nullptr);

  StartedProcess second;
  ASSERT_TRUE(second.Start(exe_, otherFolder_.c_str()));
  EXPECT_EQ(second.WaitForExit(kPatience), 0u);
  EXPECT_TRUE(first.Running());
  EXPECT_EQ(OndrelWindows(0), std::vector<HWND>{window});

  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(first.WaitForExit(kPatience), 0u);

  // With the first copy gone, a new one starts normally.
  StartedProcess third;
  third.Start(exe_, otherFolder_.c_str());
  const HWND thirdWindow = WaitForMainWindow(third);
  ASSERT_NE(thirdWindow, nullptr);
  PostMessageW(thirdWindow, WM_CLOSE, 0, 0);
  EXPECT_EQ(third.WaitForExit(kPatience), 0u);
}

TEST_F(ProgramTest, FindsItsFilesBesideTheExecutableAndKeepsSavedData) {
  const std::wstring subject = L"Saved in the first run";
  {
    StartedProcess copy;
    copy.Start(exe_, otherFolder_.c_str());
    const HWND window = WaitForMainWindow(copy);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowText(window), L"Ondrel Organiser");  // from the shipped ondrel.lng
    const HWND notes = GetDlgItem(window, 300);
    ASSERT_NE(notes, nullptr);
    EXPECT_EQ(WindowText(notes), L"Notes");

    // Type a note's subject and press Save, as a user does on the note page.
    const HWND subjectEdit = GetDlgItem(window, 110);
    const HWND saveButton = GetDlgItem(window, 102);
    ASSERT_NE(subjectEdit, nullptr);
    ASSERT_NE(saveButton, nullptr);
    SendMessageW(subjectEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(subject.c_str()));
    SendMessageW(saveButton, BM_CLICK, 0, 0);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(copy.WaitForExit(kPatience), 0u);
  }
  EXPECT_TRUE(Contains(ReadFile(installFolder_ + L"ondrel.db"), subject));
  EXPECT_EQ(GetFileAttributesW((otherFolder_ + L"ondrel.db").c_str()), INVALID_FILE_ATTRIBUTES);

  StartedProcess next;
  next.Start(exe_, otherFolder_.c_str());
  const HWND window = WaitForMainWindow(next);
  ASSERT_NE(window, nullptr);
  const HWND noteList = GetDlgItem(window, 113);
  ASSERT_NE(noteList, nullptr);
  EXPECT_EQ(SendMessageW(noteList, LVM_GETITEMCOUNT, 0, 0), 1);
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(next.WaitForExit(kPatience), 0u);
}

}  // namespace
