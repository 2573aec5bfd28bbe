// The main window procedure and the messages the main window handles
// itself before the active page sees them: creation, closing and
// destruction, the tab strip's drawing, layout and clicks, activation, the
// tab band's colour and a move to a display of another scale. Nothing thrown
// leaves the window procedure.

#include "organiser/pages/page.h"
#include "organiser/shell/main_window.h"
#include "organiser/shell/tab_strip.h"
#include "organiser/text/language_table.h"
#include "organiser/win32/window_dpi.h"

namespace ondrel {

LRESULT CALLBACK MainWindow::MainWindowProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    auto* self = static_cast<MainWindow*>(creation->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    if (self != nullptr) {
      self->window_ = window;
      self->dpi_ = WindowDpi(window);
    }
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) {
    // WM_GETMINMAXINFO arrives before WM_NCCREATE, before the window knows
    // its MainWindow; the minimum size holds all the same.
    if (message == WM_GETMINMAXINFO) {
      ApplyMinimumTrackSize(*reinterpret_cast<MINMAXINFO*>(lParam), WindowDpi(window));
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  try {
    const LRESULT result = self->HandleMessage(window, message, wParam, lParam);
    self->LiftShutdownBlockWhenSaved();
    return result;
  } catch (...) {
    // An exception must not unwind through USER32. A failed creation fails
    // the window; any later failure ends the program with exit code 1.
    self->handlerFailed_ = true;
    if (message == WM_CREATE) return -1;
    if (message == WM_NCCREATE) return FALSE;
    PostQuitMessage(1);
    return 0;
  }
}

LRESULT MainWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: return OnCreate(window, wParam, lParam);
    case WM_CLOSE: return OnClose(window);
    case WM_DESTROY: return OnDestroy(window, wParam, lParam);
    case WM_NCDESTROY: {
      const LRESULT result = PassOn(window, message, wParam, lParam, false);
      OnNcDestroy(window);
      return result;
    }
    case WM_GETMINMAXINFO:
      ApplyMinimumTrackSize(*reinterpret_cast<MINMAXINFO*>(lParam), dpi_);
      return PassOn(window, message, wParam, lParam, true);
    case kDpiChangedMessage: return OnDpiChanged(window, wParam, lParam);
    case WM_DRAWITEM: return OnDrawItem(window, wParam, lParam);
    case WM_WINDOWPOSCHANGED: return OnWindowPosChanged(window, wParam, lParam);
    case WM_COMMAND: return OnCommand(window, wParam, lParam);
    case WM_CTLCOLORSTATIC: return OnCtlColorStatic(window, wParam, lParam);
    case WM_ACTIVATE: return OnActivate(window, wParam);
    case WM_QUERYENDSESSION: return OnQueryEndSession(window);
    // The session ends (or goes on) after the answer above; the process may
    // be ended at any moment, and nobody may be there: nothing to do or show.
    case WM_ENDSESSION: return 0;
    default: return PassOn(window, message, wParam, lParam, false);
  }
}

LRESULT MainWindow::PassOn(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                            bool handledHere) {
  if (currentPage_ != 0) return pages_[currentPage_]->HandleMessage(window, message, wParam, lParam);
  if (handledHere) return 0;
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT MainWindow::OnCreate(HWND window, WPARAM wParam, LPARAM lParam) {
  backgroundBrush_.Reset(CreateSolidBrush(kTabBandColour));
  tabStrip_->Create(window, dpi_);
  for (int index = 1; index <= 3; ++index) pages_[index]->Create(window, database_.get());
  // The note page starts active without a switch: nothing to hide, and the
  // captions are already set.
  tabStrip_->Select(1);
  currentPage_ = 1;
  pages_[1]->Show();
  pages_[currentPage_]->FillFocusRing(*focusRing_);
  return PassOn(window, WM_CREATE, wParam, lParam, true);
}

LRESULT MainWindow::OnClose(HWND window) {
  // Asked while the window still stands, so that a failed save can keep it
  // open with the form as typed.
  if (currentPage_ == 0 || pages_[currentPage_]->OfferToSave()) DestroyWindow(window);
  return 0;
}

LRESULT MainWindow::OnQueryEndSession(HWND window) {
  if (currentPage_ == 0 || pages_[currentPage_]->SaveForSessionEnd()) {
    shutdownBlock_.Lift();
    return TRUE;
  }
  // The system shows the reason beside the program's name; the failed
  // save's own words say what is wrong and what to do.
  const char16_t* reason = language_->Lookup(u"MainWindow", u"MessageSaveFailed");
  shutdownBlock_.Set(window, reason != nullptr ? Text(reason) : Text(u"ondrel.db"));
  return FALSE;
}

void MainWindow::LiftShutdownBlockWhenSaved() {
  if (!shutdownBlock_.IsSet()) return;
  if (currentPage_ == 0 || !pages_[currentPage_]->HasUnsavedChanges()) shutdownBlock_.Lift();
}

LRESULT MainWindow::OnDestroy(HWND window, WPARAM wParam, LPARAM lParam) {
  backgroundBrush_.Reset();
  // The main window is the program: when it goes, the message loop ends.
  PostQuitMessage(0);
  return PassOn(window, WM_DESTROY, wParam, lParam, true);
}

void MainWindow::OnNcDestroy(HWND window) {
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  tabStrip_->ForgetWindows();
  window_ = nullptr;
}

LRESULT MainWindow::OnDrawItem(HWND window, WPARAM wParam, LPARAM lParam) {
  const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
  if (item != nullptr && item->CtlType == ODT_BUTTON && tabStrip_->IsTabButton(item->hwndItem)) {
    tabStrip_->DrawButton(item->hwndItem, item->hDC, item->rcItem);
  }
  return PassOn(window, WM_DRAWITEM, wParam, lParam, true);
}

LRESULT MainWindow::OnWindowPosChanged(HWND window, WPARAM wParam, LPARAM lParam) {
  tabStrip_->Layout(window);
  if (currentPage_ != 0) pages_[currentPage_]->Layout();
  return PassOn(window, WM_WINDOWPOSCHANGED, wParam, lParam, true);
}

LRESULT MainWindow::OnDpiChanged(HWND window, WPARAM wParam, LPARAM lParam) {
  // Kept, not asked for again: Wine goes on answering the system's DPI for
  // the window.
  const int dpi = HIWORD(wParam);
  const auto* suggested = reinterpret_cast<const RECT*>(lParam);
  if (dpi <= 0 || suggested == nullptr) return 0;
  dpi_ = dpi;
  tabStrip_->SetDpi(dpi_);
  for (int index = 1; index <= 3; ++index) pages_[index]->SetDpi(dpi_);
  SetWindowPos(window, nullptr, suggested->left, suggested->top,
               suggested->right - suggested->left, suggested->bottom - suggested->top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  // The move lays out the strip and the active page, unless the rectangle
  // was the one the window already had; the hidden pages are placed too,
  // so that a later tab switch shows them right at once.
  tabStrip_->Layout(window);
  for (int index = 1; index <= 3; ++index) pages_[index]->Layout();
  return 0;
}

LRESULT MainWindow::OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
  // The whole wParam is compared: only a click (notification code 0) on a
  // tab button switches pages.
  if (wParam >= kFirstTabId && wParam <= kFirstTabId + 2) {
    SwitchPage(static_cast<int>(wParam) - kFirstTabId + 1);
  }
  // After a switch, the newly active page receives the command.
  return PassOn(window, WM_COMMAND, wParam, lParam, true);
}

LRESULT MainWindow::OnActivate(HWND window, WPARAM wParam) {
  if (LOWORD(wParam) == WA_INACTIVE) {
    const HWND focus = GetFocus();
    focusBeforeDeactivation_ = IsChild(window, focus) ? focus : nullptr;
    return 0;
  }
  if (HIWORD(wParam) != 0) return 0;  // minimised: the focus waits for the restore
  // Not the default handling, which would leave the focus on the main
  // window itself where no key reaches a control.
  const HWND remembered = focusBeforeDeactivation_;
  if (remembered != nullptr && IsChild(window, remembered) && IsWindowVisible(remembered) &&
      IsWindowEnabled(remembered)) {
    SetFocus(remembered);
  } else if (!IsChild(window, GetFocus())) {
    FocusFirstRingControl();
  }
  return 0;
}

LRESULT MainWindow::OnCtlColorStatic(HWND window, WPARAM wParam, LPARAM lParam) {
  if (reinterpret_cast<HWND>(lParam) == tabStrip_->band() && tabStrip_->band() != nullptr) {
    SetBkColor(reinterpret_cast<HDC>(wParam), kTabBandColour);
    return reinterpret_cast<LRESULT>(backgroundBrush_.get());
  }
  return PassOn(window, WM_CTLCOLORSTATIC, wParam, lParam, false);
}

}  // namespace ondrel
