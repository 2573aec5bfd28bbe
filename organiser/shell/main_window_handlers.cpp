// The messages the main window handles itself before the active page sees
// them: creation, destruction, the tab strip's drawing, layout and clicks,
// and the tab band's colour.

#include "organiser/pages/page.h"
#include "organiser/shell/application.h"
#include "organiser/shell/tab_strip.h"

namespace ondrel {

LRESULT Application::OnCreate(HWND window, WPARAM wParam, LPARAM lParam) {
  backgroundBrush_.Reset(CreateSolidBrush(kTabBandColour));
  tabStrip_->Create(window);
  for (int index = 1; index <= 3; ++index) pages_[index]->Create(window, database_.get());
  // The note page starts active without a switch: nothing to hide, and the
  // captions are already set.
  tabStrip_->Select(1);
  currentPage_ = 1;
  pages_[1]->Show();
  pages_[currentPage_]->FillFocusRing(*focusRing_);
  return PassOn(window, WM_CREATE, wParam, lParam, true);
}

LRESULT Application::OnDestroy(HWND window, WPARAM wParam, LPARAM lParam) {
  backgroundBrush_.Reset();
  // The active page offers to save its form and posts the quit message.
  return PassOn(window, WM_DESTROY, wParam, lParam, true);
}

void Application::OnNcDestroy(HWND window) {
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  tabStrip_->ForgetWindows();
  mainWindow_ = nullptr;
}

LRESULT Application::OnDrawItem(HWND window, WPARAM wParam, LPARAM lParam) {
  const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
  if (item != nullptr && item->CtlType == ODT_BUTTON && tabStrip_->IsTabButton(item->hwndItem)) {
    tabStrip_->DrawButton(item->hwndItem, item->hDC, item->rcItem);
  }
  return PassOn(window, WM_DRAWITEM, wParam, lParam, true);
}

LRESULT Application::OnWindowPosChanged(HWND window, WPARAM wParam, LPARAM lParam) {
  tabStrip_->Layout(window);
  if (currentPage_ != 0) pages_[currentPage_]->Layout();
  return PassOn(window, WM_WINDOWPOSCHANGED, wParam, lParam, true);
}

LRESULT Application::OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
  // The whole wParam is compared: only a click (notification code 0) on a
  // tab button switches pages.
  if (wParam >= kFirstTabId && wParam <= kFirstTabId + 2) {
    SwitchPage(static_cast<int>(wParam) - kFirstTabId + 1);
  }
  // After a switch, the newly active page receives the command.
  return PassOn(window, WM_COMMAND, wParam, lParam, true);
}

LRESULT Application::OnActivate(HWND window, WPARAM wParam) {
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

LRESULT Application::OnCtlColorStatic(HWND window, WPARAM wParam, LPARAM lParam) {
  if (reinterpret_cast<HWND>(lParam) == tabStrip_->band() && tabStrip_->band() != nullptr) {
    SetBkColor(reinterpret_cast<HDC>(wParam), kTabBandColour);
    return reinterpret_cast<LRESULT>(backgroundBrush_.get());
  }
  return PassOn(window, WM_CTLCOLORSTATIC, wParam, lParam, false);
}

}  // namespace ondrel
