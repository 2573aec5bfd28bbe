#include "tests/scale/scale_support.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "organiser/platform/platform.h"
#include "tests/pages/page_cases.h"
#include "tests/support/started_organiser.h"

namespace ondrel::test {

int ExpectedDpi() {
  wchar_t value[16] = {};
  if (GetEnvironmentVariableW(L"ONDREL_EXPECTED_DPI", value, 16) == 0) return 0;
  return static_cast<int>(std::wcstol(value, nullptr, 10));
}

void ExpectScaledRect(HWND control, const Rect& at100, int dpi, const std::string& what) {
  const RECT actual = ChildRect(control);
  const int rounding = RoundingAt(dpi);
  EXPECT_NEAR(actual.left, ScaleForDpi(at100.x, dpi), rounding) << what << ": x";
  EXPECT_NEAR(actual.top, ScaleForDpi(at100.y, dpi), rounding) << what << ": y";
  EXPECT_NEAR(actual.right - actual.left, ScaleForDpi(at100.width, dpi), rounding) << what << ": width";
  EXPECT_NEAR(actual.bottom - actual.top, ScaleForDpi(at100.height, dpi), rounding) << what << ": height";
}

int FontHeight(HWND control) {
  const auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  LOGFONTW description{};
  if (font == nullptr || GetObjectW(font, sizeof description, &description) == 0) return 0;
  return description.lfHeight < 0 ? -description.lfHeight : description.lfHeight;
}

OrganiserWindow::OrganiserWindow()
    : files_(NewPlatformFileSystem()), clock_(LocalTime{2011, 2, 1, 10, 30}) {
  Text all = u"<Database>";
  for (const PageCase& page : AllPageCases()) {
    const Text text = page.FileText();
    all += text.substr(10, text.size() - 10 - 11);  // the blocks between the Database tags
  }
  all += u"</Database>";
  WriteFileBytes(folder_.Native("ondrel.db"), LittleEndianBytes(all));
  WriteFileBytes(folder_.Native("ondrel.lng"), TestLanguageBytes());
  mainWindow_ = std::make_unique<MainWindow>(
      Text(reinterpret_cast<const char16_t*>(folder_.Prefix().c_str())), *files_, clock_);
  mainWindow_->Initialize();
  window_ = mainWindow_->Create();
}

OrganiserWindow::~OrganiserWindow() {
  // Nothing was edited: closing asks nothing.
  if (window_ != nullptr) SendMessageW(window_, WM_CLOSE, 0, 0);
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
  mainWindow_.reset();
}

}  // namespace ondrel::test
