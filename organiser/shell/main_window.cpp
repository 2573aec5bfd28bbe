// The main window procedure: finds the Application through the window's user
// data and hands each message to a typed handler. Nothing thrown leaves it.

#include "organiser/shell/application.h"

#include "organiser/pages/page.h"

namespace ondrel {

LRESULT CALLBACK Application::WindowProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    auto* application = static_cast<Application*>(creation->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(application));
    if (application != nullptr) application->mainWindow_ = window;
  }
  auto* application = reinterpret_cast<Application*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (application == nullptr) {
    // WM_GETMINMAXINFO arrives before WM_NCCREATE, before the window knows
    // its Application; the minimum size holds all the same.
    if (message == WM_GETMINMAXINFO) {
      ApplyMinimumTrackSize(*reinterpret_cast<MINMAXINFO*>(lParam));
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  try {
    return application->HandleMessage(window, message, wParam, lParam);
  } catch (...) {
    // An exception must not unwind through USER32. A failed creation fails
    // the window; any later failure ends the program with exit code 1.
    application->handlerFailed_ = true;
    if (message == WM_CREATE) return -1;
    if (message == WM_NCCREATE) return FALSE;
    PostQuitMessage(1);
    return 0;
  }
}

LRESULT Application::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: return OnCreate(window, wParam, lParam);
    case WM_DESTROY: return OnDestroy(window, wParam, lParam);
    case WM_NCDESTROY: {
      const LRESULT result = PassOn(window, message, wParam, lParam, false);
      OnNcDestroy(window);
      return result;
    }
    case WM_GETMINMAXINFO:
      ApplyMinimumTrackSize(*reinterpret_cast<MINMAXINFO*>(lParam));
      return PassOn(window, message, wParam, lParam, true);
    case WM_DRAWITEM: return OnDrawItem(window, wParam, lParam);
    case WM_WINDOWPOSCHANGED: return OnWindowPosChanged(window, wParam, lParam);
    case WM_COMMAND: return OnCommand(window, wParam, lParam);
    case WM_CTLCOLORSTATIC: return OnCtlColorStatic(window, wParam, lParam);
    case WM_ACTIVATE: return OnActivate(window, wParam);
    default: return PassOn(window, message, wParam, lParam, false);
  }
}

LRESULT Application::PassOn(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                            bool handledHere) {
  if (currentPage_ != 0) return pages_[currentPage_]->HandleMessage(window, message, wParam, lParam);
  if (handledHere) return 0;
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace ondrel
