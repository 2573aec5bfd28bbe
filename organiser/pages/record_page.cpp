#include "organiser/pages/record_page.h"

#include <windows.h>
#include <commctrl.h>

#include "organiser/shell/wide_text.h"
#include "organiser/shell/language_table.h"
#include "organiser/store/document.h"

namespace ondrel {

namespace {

constexpr std::uint32_t kFocusRingInitialSlots = 16;

// Runs work and swallows whatever it throws: the page is called from window
// procedures, and no exception may travel back into USER32. A failed step
// leaves the page as far as it got, like any other failure of the page.
template <typename Work>
void Guarded(Work&& work) {
  try {
    work();
  } catch (...) {
  }
}

}  // namespace

RecordPage::RecordPage(const PageDescription& description, const LanguageTable& language)
    : description_(description), language_(language) {}

RecordPage::~RecordPage() = default;

const char16_t* RecordPage::PageText(const char16_t* key) const {
  return language_.Lookup(description_.section, key);
}

const char16_t* RecordPage::MainText(const char16_t* key) const {
  return language_.Lookup(u"MainWindow", key);
}

void RecordPage::Create(HWND parentWindow, Database* database) {
  Guarded([&] {
    database_ = database;
    results_ = std::make_unique<PtrArray<Document>>(Ownership::kBorrows);
    parentWindow_ = parentWindow;
    CreateControls();
    OnControlsCreated();
    FillList();
  });
}

void RecordPage::CreateControls() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  controls_.assign(description_.controls.size(), nullptr);
  for (std::size_t slot = 0; slot < description_.controls.size(); ++slot) {
    const ControlSpec& control = description_.controls[slot];
    const char16_t* text = nullptr;
    switch (control.text.source) {
      case ControlText::Source::kNone: break;
      case ControlText::Source::kPageSection: text = PageText(control.text.value); break;
      case ControlText::Source::kMainWindow: text = MainText(control.text.value); break;
      case ControlText::Source::kLiteral: text = control.text.value; break;
    }
    controls_[slot] = CreateWindowExW(
        control.exStyle, control.className, text != nullptr ? AsWide(text) : L"", control.style,
        0, 0, 0, 0, parentWindow_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
        instance, nullptr);
  }
  listView_ = controls_[description_.listViewSlot];
  SendMessageW(listView_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);

  if (!font_) font_ = CreatePageFont();
  for (HWND control : controls_) {
    // The list view keeps the platform's font.
    if (control != listView_) {
      SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
    }
  }
}

void RecordPage::Show() {
  Guarded([&] {
    for (HWND control : controls_) ShowWindow(control, SW_SHOW);
    Layout();
  });
}

void RecordPage::Hide() {
  Guarded([&] {
    AskToSave();
    for (HWND control : controls_) ShowWindow(control, SW_HIDE);
  });
}

void RecordPage::Layout() {
  Guarded([&] {
    if (controls_.empty()) return;
    RECT client{};
    GetClientRect(parentWindow_, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    for (const LayoutStep& step : description_.layout) {
      HWND control = controls_[step.slot];
      switch (step.action) {
        case LayoutStep::Action::kPlace:
        case LayoutStep::Action::kPlaceHidden:
          SetWindowPos(control, HWND_TOP, step.x.At(width, height), step.y.At(width, height),
                       step.width.At(width, height), step.height.At(width, height),
                       step.action == LayoutStep::Action::kPlace ? SWP_SHOWWINDOW
                                                                 : SWP_HIDEWINDOW);
          break;
        case LayoutStep::Action::kHide: ShowWindow(control, SW_HIDE); break;
        case LayoutStep::Action::kShow: ShowWindow(control, SW_SHOW); break;
      }
    }
  });
}

std::uint32_t RecordPage::FillFocusRing(FocusRing& ring) {
  Guarded([&] {
    ring.Clear();
    ring.Grow(kFocusRingInitialSlots);
    if (controls_.empty()) return;
    for (std::size_t slot : description_.focusOrder) ring.Append(controls_[slot]);
  });
  return ring.count();
}

bool RecordPage::HandlePageMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT RecordPage::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  bool handled = true;
  Guarded([&] {
    if (HandlePageMessage(message, wParam, lParam, result)) return;
    switch (message) {
      case WM_DESTROY:
        AskToSave();
        PostQuitMessage(0);
        break;
      case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header != nullptr && wParam == static_cast<WPARAM>(description_.listViewId) &&
            header->code == LVN_ITEMCHANGED) {
          OnItemChanged(*reinterpret_cast<const NMLISTVIEW*>(lParam));
        }
        break;
      }
      case WM_COMMAND:
        RunCommand(wParam);
        break;
      default:
        handled = false;
        break;
    }
  });
  if (handled) return result;
  return DefWindowProcW(window, message, wParam, lParam);
}

void RecordPage::RunCommand(WPARAM command) {
  // The whole wParam is compared, so only a click (notification 0) counts.
  const WPARAM save = static_cast<WPARAM>(description_.saveId);
  if (command == save) {
    SaveForm();
  } else if (command == save + 1) {
    ShowDocument(current_);
  } else if (command == save + 2) {
    RemoveCurrent();
  } else if (command == save + 3) {
    StartNew();
  }
}

}  // namespace ondrel
