// The built ondrel.exe as a user runs it: edits left on a page the user
// switched away from are dropped on close without a question, the active
// page asks once, and the program ends with exit code 0.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/pages/page_cases.h"
#include "tests/support/started_process.h"

namespace ondrel::test {
namespace {

constexpr DWORD kPatience = 20000;
const std::wstring kDistFolder = ONDREL_DIST_FOLDER;

class RunningOrganiser {
 public:
  explicit RunningOrganiser(const std::wstring& exe) { process_.Start(exe, nullptr); }

  bool started() const { return process_.started(); }
  DWORD id() const { return process_.id(); }

  HWND WaitForMainWindow() const {
    for (DWORD waited = 0; waited < kPatience; waited += 50) {
      HWND window = nullptr;
      while ((window = FindWindowExW(nullptr, window, L"Ondrel", nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == process_.id() && IsWindowVisible(window)) return window;
      }
      Sleep(50);
    }
    return nullptr;
  }

  DWORD WaitForExit() const { return process_.WaitForExit(kPatience); }

 private:
  StartedProcess process_;  // ended with the test
};

// Sends a message to the organiser and waits for it (a question it opens
// is answered meanwhile by the answerer thread).
void Send(HWND control, UINT message, WPARAM wParam, const wchar_t* text) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(control, message, wParam, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, kPatience, &result);
}

TEST(ProgramPagesTest, ClosingAsksOnTheActivePageOnlyAndEndsWithExitCodeZero) {
  TempFolder folder;
  const std::wstring exe = folder.File(L"ondrel.exe");
  ASSERT_TRUE(CopyFileW((kDistFolder + L"ondrel.exe").c_str(), exe.c_str(), FALSE));
  ASSERT_TRUE(CopyFileW((kDistFolder + L"ondrel.lng").c_str(), folder.File(L"ondrel.lng").c_str(), FALSE));
  ASSERT_TRUE(WriteBytes(folder.File(L"ondrel.db"), Utf16Bytes(AllPageCases()[0].FileText())));

  RunningOrganiser organiser(exe);
  ASSERT_TRUE(organiser.started());
  const HWND window = organiser.WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  {
    auto answerer = MessageBoxAnswerer::ForProcess(organiser.id(), {IDNO, IDYES});
    Send(GetDlgItem(window, 110), WM_SETTEXT, 0, L"note edit left behind");
    Send(GetDlgItem(window, 302), BM_CLICK, 0, nullptr);  // phone book tab: asks, No
    Send(GetDlgItem(window, 150), WM_SETTEXT, 0, L"nick kept on close");
    PostMessageW(window, WM_CLOSE, 0, 0);  // the phone page asks, Yes
    EXPECT_EQ(organiser.WaitForExit(), 0u);
    const auto boxes = answerer->boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(boxes[0].hasYesNo);
    EXPECT_TRUE(boxes[1].hasYesNo);
  }
  const Text file = TextOfUtf16Bytes(ReadBytes(folder.File(L"ondrel.db")));
  EXPECT_NE(file.find(u"<NicName>nick kept on close</NicName>"), Text::npos);
  EXPECT_EQ(file.find(u"note edit left behind"), Text::npos);
  EXPECT_NE(file.find(u"<Subject>Shopping</Subject>"), Text::npos);
}

}  // namespace
}  // namespace ondrel::test
