#include "tests/support/unexpected_box_watch.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

namespace ondrel::test {
namespace {

std::atomic<int> expecting{0};

struct BoxSearch {
  DWORD processId;
  HWND box = nullptr;
};

BOOL CALLBACK FindOwnBox(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<BoxSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (std::wstring(className) != L"#32770") return TRUE;
  search->box = window;
  return FALSE;
}

std::string Utf8(HWND window) {
  wchar_t wide[1024] = {};
  if (window != nullptr) InternalGetWindowText(window, wide, 1023);
  char narrow[4096] = {};
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, narrow, sizeof narrow - 1, nullptr, nullptr);
  return narrow;
}

class UnexpectedBoxWatch : public ::testing::Environment {
 public:
  void SetUp() override {
    stop_ = false;
    thread_ = std::thread([this] { Run(); });
  }
  void TearDown() override {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }

 private:
  void Run() {
    const DWORD self = GetCurrentProcessId();
    while (!stop_) {
      Sleep(20);
      if (expecting > 0) continue;
      BoxSearch search{self};
      EnumWindows(FindOwnBox, reinterpret_cast<LPARAM>(&search));
      if (search.box == nullptr) continue;
      // A box being built, or one an answerer is about to take: look again
      // once it has its children and the answerer had its chance.
      Sleep(100);
      if (expecting > 0 || !IsWindow(search.box) || !IsWindowVisible(search.box)) continue;
      ADD_FAILURE() << "a message box nobody answered: \"" << Utf8(search.box) << "\": \""
                    << Utf8(GetDlgItem(search.box, 0xFFFF)) << "\"";
      const int answer = GetDlgItem(search.box, IDNO) != nullptr ? IDNO : IDOK;
      PostMessageW(search.box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(search.box, answer)));
      for (int i = 0; i < 500 && IsWindow(search.box) && IsWindowVisible(search.box); ++i) Sleep(2);
    }
  }

  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// Registered when the program starts, before main runs the tests.
::testing::Environment* const kWatch =
    ::testing::AddGlobalTestEnvironment(new UnexpectedBoxWatch);

}  // namespace

ExpectingBoxes::ExpectingBoxes() { ++expecting; }
ExpectingBoxes::~ExpectingBoxes() { --expecting; }

}  // namespace ondrel::test
