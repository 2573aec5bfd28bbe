#include "organiser/pages/record_page.h"

#include <windows.h>
#include <commctrl.h>

#include "organiser/store/database.h"
#include "organiser/store/document.h"
#include "organiser/text/language_table.h"
#include "organiser/win32/fonts.h"
#include "organiser/win32/wide_text.h"
#include "organiser/win32/window_dpi.h"

namespace ondrel {

namespace {

constexpr std::uint32_t kFocusRingInitialSlots = 16;
// Posted to the main window (which hands it to the active page) with the
// list view as lParam: see CheckHighlightLater.
constexpr UINT kCheckHighlightMessage = WM_APP + 1;

}  // namespace

RecordPage::RecordPage(const PageDescription& description, const LanguageTable& language)
    : description_(description), language_(language) {}

RecordPage::~RecordPage() = default;

const Clock* RecordPage::StoreClock() const {
  return database_ != nullptr ? &database_->clock() : nullptr;
}

const char16_t* RecordPage::PageText(const char16_t* key) const {
  return language_.Lookup(description_.section, key);
}

const char16_t* RecordPage::MainText(const char16_t* key) const {
  return language_.Lookup(u"MainWindow", key);
}

// Nothing here catches: a failure in a page is not carried on from. The shell
// turns it into exit code 1; only a failed save is the page's own to report
// (SaveForm).
void RecordPage::Create(HWND parentWindow, Database* database) {
  database_ = database;
  results_ = std::make_unique<PtrArray<Document>>(Ownership::kBorrows);
  parentWindow_ = parentWindow;
  dpi_ = WindowDpi(parentWindow);
  CreateControls();
  OnControlsCreated();
  FillList();
  // A page is out of reach until it is shown: a control left visible at
  // size 0 would still take the focus from the Tab key.
  for (HWND control : controls_) ShowWindow(control, SW_HIDE);
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
  for (std::size_t slot = 0; slot < description_.controls.size(); ++slot) {
    // Pasted or loaded text arrives whole, however long.
    if (lstrcmpW(description_.controls[slot].className, L"Edit") == 0) {
      SendMessageW(controls_[slot], EM_SETLIMITTEXT, 0, 0);
    }
  }
  SendMessageW(listView_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
  listPlatformFont_ = reinterpret_cast<HFONT>(SendMessageW(listView_, WM_GETFONT, 0, 0));
  FitListFont();

  font_ = MakeOrganiserFont(dpi_);
  SetPageFont(font_.get());
}

void RecordPage::SetPageFont(HFONT font) {
  for (HWND control : controls_) {
    // The list view keeps the platform's font (FitListFont).
    if (control != listView_) {
      SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
  }
}

void RecordPage::SetDpi(int dpi) {
  if (dpi <= 0 || dpi == dpi_) return;
  const int previous = dpi_;
  dpi_ = dpi;
  if (controls_.empty()) return;
  Font font = MakeOrganiserFont(dpi_);
  SetPageFont(font.get());
  // The old font goes only now that no control uses it.
  font_ = std::move(font);
  FitListFont();
  // Widths the user dragged keep their proportions.
  for (std::size_t column = 0; column < description_.columns.size(); ++column) {
    const int width = static_cast<int>(SendMessageW(listView_, LVM_GETCOLUMNWIDTH, column, 0));
    SendMessageW(listView_, LVM_SETCOLUMNWIDTH, column,
                 MAKELPARAM(ScaleBetweenDpis(width, previous, dpi_), 0));
  }
}

void RecordPage::Show() {
  // A check posted while the page was last shown went to another page.
  highlightCheckPosted_ = false;
  shown_ = true;
  for (HWND control : controls_) ShowWindow(control, SW_SHOW);
  Layout();
}

bool RecordPage::Hide() {
  if (!AskToSave()) return false;
  shown_ = false;
  for (HWND control : controls_) ShowWindow(control, SW_HIDE);
  return true;
}

bool RecordPage::OfferToSave() { return AskToSave(); }

void RecordPage::Layout() {
  if (controls_.empty()) return;
  {
    RECT client{};
    GetClientRect(parentWindow_, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    for (const LayoutStep& step : description_.layout) {
      HWND control = controls_[step.slot];
      switch (step.action) {
        case LayoutStep::Action::kPlace:
        case LayoutStep::Action::kPlaceHidden: {
          // A hidden page is placed for later (a move to another display
          // while another page is active) and stays hidden.
          UINT flags = SWP_HIDEWINDOW;
          if (step.action == LayoutStep::Action::kPlace) flags = shown_ ? SWP_SHOWWINDOW : SWP_NOACTIVATE;
          SetWindowPos(control, HWND_TOP, step.x.At(width, height, dpi_),
                       step.y.At(width, height, dpi_), step.width.At(width, height, dpi_),
                       step.height.At(width, height, dpi_), flags);
          break;
        }
        case LayoutStep::Action::kHide:
          if (shown_) ShowWindow(control, SW_HIDE);
          break;
        case LayoutStep::Action::kShow:
          if (shown_) ShowWindow(control, SW_SHOW);
          break;
      }
    }
  }
  if (!shown_) return;
  // The main window does not clip its children, so the background it
  // erases where a moved control stood can land on controls that have
  // already painted at their new places (stray lines until the next tab
  // switch). One repaint of everything, parent first, leaves it right.
  RedrawWindow(parentWindow_, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

std::uint32_t RecordPage::FillFocusRing(FocusRing& ring) {
  ring.Clear();
  ring.Grow(kFocusRingInitialSlots);
  if (controls_.empty()) return 0;
  for (std::size_t slot : description_.focusOrder) ring.Append(controls_[slot]);
  return ring.count();
}

bool RecordPage::HandlePageMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT RecordPage::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (HandlePageMessage(message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header != nullptr && wParam == static_cast<WPARAM>(description_.listViewId) &&
          header->code == LVN_ITEMCHANGED) {
        OnItemChanged(*reinterpret_cast<const NMLISTVIEW*>(lParam));
      }
      return 0;
    }
    case WM_COMMAND:
      RunCommand(wParam);
      return 0;
    case kCheckHighlightMessage:
      if (reinterpret_cast<HWND>(lParam) != listView_ || listView_ == nullptr) return 0;
      highlightCheckPosted_ = false;
      if (openBoxes_ == 0 && !IsCurrentHighlighted()) HighlightCurrent();
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

void RecordPage::CheckHighlightLater() {
  if (highlightCheckPosted_) return;
  // Posted, not done now: the list is still in the middle of the click or
  // key that took the highlight, and may go on to highlight another row.
  highlightCheckPosted_ = PostMessageW(parentWindow_, kCheckHighlightMessage, 0,
                                       reinterpret_cast<LPARAM>(listView_)) != FALSE;
}

void RecordPage::RunCommand(WPARAM command) {
  // The whole wParam is compared, so only a click (notification 0) counts.
  const WPARAM save = static_cast<WPARAM>(description_.saveId);
  if (command == save) {
    SaveForm();
  } else if (command == save + 1) {
    ShowDocument(current_);
    HighlightCurrent();
  } else if (command == save + 2) {
    RemoveCurrent();
  } else if (command == save + 3) {
    StartNew();
  }
}

}  // namespace ondrel
