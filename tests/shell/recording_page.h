#pragma once
// A page for the shell's own tests: a few edits as its focus ring, one edit
// outside the ring, and a log of every call the shell makes on it.

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "organiser/pages/page.h"

namespace ondrel::test {

class RecordingPage final : public Page {
 public:
  static constexpr int kRingSize = 3;
  // A command the page fails on, as a page that runs out of memory does.
  static constexpr int kFailingCommand = 999;

  // log is shared by the three pages of one test and outlives them.
  RecordingPage(int index, std::vector<std::string>& log) : index_(index), log_(log) {}

  void Create(HWND parentWindow, Database*) override {
    Record("Create");
    for (int i = 0; i < kRingSize; ++i) ringEdits_.push_back(MakeEdit(parentWindow, 1000 + 10 * index_ + i));
    outsideEdit_ = MakeEdit(parentWindow, 1000 + 10 * index_ + 9);
  }
  void Show() override { Record("Show"); }
  bool Hide() override {
    Record("Hide");
    return mayClose_;
  }
  bool OfferToSave() override {
    Record("OfferToSave");
    return mayClose_;
  }
  bool SaveForSessionEnd() override {
    Record("SaveForSessionEnd");
    return mayClose_;
  }
  bool HasUnsavedChanges() const override { return !mayClose_; }
  void Layout() override {}
  void SetDpi(int dpi) override { Record("SetDpi " + std::to_string(dpi)); }
  std::uint32_t FillFocusRing(FocusRing& ring) override {
    Record("FillFocusRing");
    ring.Clear();
    for (HWND edit : ringEdits_) ring.Append(edit);
    return ring.count();
  }
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    // The edits' own focus notifications are not the shell's doing.
    const WORD code = HIWORD(wParam);
    if (message == WM_COMMAND && code != EN_SETFOCUS && code != EN_KILLFOCUS) {
      Record("Command " + std::to_string(LOWORD(wParam)));
      if (LOWORD(wParam) == kFailingCommand) throw std::runtime_error("the page failed");
    }
    if (message == WM_DESTROY) {
      Record("Destroy");
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  HWND ringEdit(int i) const { return ringEdits_[static_cast<std::size_t>(i)]; }
  HWND outsideEdit() const { return outsideEdit_; }
  // What Hide, OfferToSave and SaveForSessionEnd answer: false stands for
  // a save the user asked for (or a session end made) that failed.
  void SetMayClose(bool mayClose) { mayClose_ = mayClose; }

 private:
  static HWND MakeEdit(HWND parent, int id) {
    return CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                           0, 0, 50, 20, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
  }
  void Record(const std::string& call) { log_.push_back(std::to_string(index_) + " " + call); }

  int index_;
  std::vector<std::string>& log_;
  std::vector<HWND> ringEdits_;
  HWND outsideEdit_ = nullptr;
  bool mayClose_ = true;
};

}  // namespace ondrel::test
