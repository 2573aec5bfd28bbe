#pragma once
// What the scale tests share: the DPI the runner set this run's prefix to,
// the organiser's main window over a folder of sample records, and the
// comparison of a control's rectangle with its 100 % rectangle scaled.

#include <windows.h>

#include <memory>
#include <string>

#include "organiser/shell/main_window.h"
#include "organiser/store/clock.h"
#include "organiser/store/file_system.h"
#include "tests/pages/page_layout_rects.h"
#include "tests/support/temp_folder.h"

namespace ondrel::test {

// The DPI run_at_dpi.sh set the prefix to (ONDREL_EXPECTED_DPI); 0 when the
// program was started some other way.
int ExpectedDpi();

// How far a scaled layout may stand from a 100 % rectangle scaled as a
// whole: the formulas scale each 100 % part (an offset, a gap) on its own,
// each rounded to a pixel. Nothing at 100 %.
inline int RoundingAt(int dpi) { return dpi == kDesignDpi ? 0 : 1; }

// Expects control (a child of its parent) to stand where at100 stands at
// 100 %, scaled to dpi, within rounding.
void ExpectScaledRect(HWND control, const Rect& at100, int dpi, const std::string& what);

// The height the font of control was asked for with, in pixels; 0 when it
// has none of its own.
int FontHeight(HWND control);

// The real main window with the real pages, over a folder holding the
// pages' sample records and the test language file.
class OrganiserWindow {
 public:
  OrganiserWindow();
  ~OrganiserWindow();
  OrganiserWindow(const OrganiserWindow&) = delete;
  OrganiserWindow& operator=(const OrganiserWindow&) = delete;

  MainWindow& main() { return *mainWindow_; }
  HWND window() const { return window_; }

 private:
  TempFolder folder_;
  std::unique_ptr<FileSystem> files_;
  FixedClock clock_;
  std::unique_ptr<MainWindow> mainWindow_;
  HWND window_ = nullptr;
};

}  // namespace ondrel::test
