// A move of the main window to a display of another scale: WM_DPICHANGED as
// the system sends it, with the new DPI and a suggested rectangle. Every
// page, the hidden ones too, the tabs, the fonts, the list columns and the
// smallest size move to the new scale, and back.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "organiser/pages/record_page.h"
#include "organiser/shell/tab_strip.h"
#include "organiser/win32/window_dpi.h"
#include "tests/pages/page_cases.h"
#include "tests/scale/scale_support.h"

namespace ondrel::test {
namespace {

constexpr int kNotesTab = 300;
constexpr int kPhoneTab = 302;
// Of the two client sizes of the page tables, the one moved to.
constexpr std::size_t kSize = 1;

class DpiChangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(ScreenDpi(), ExpectedDpi()) << "the prefix is not at the scale run_at_dpi.sh set";
    ASSERT_NE(organiser_.window(), nullptr);
    listFontAtStart_ = FontHeight(page(1).listView());
  }

  RecordPage& page(int index) { return dynamic_cast<RecordPage&>(*organiser_.main().page(index)); }

  // Sends what the system sends on a move to a display of dpi, suggesting
  // a window whose client area is 800 x 560 at that scale. (Wine's frame
  // keeps the screen's scale, so a client area of the smallest window's
  // size would be held to the smallest size at 200 %.)
  RECT MoveTo(int dpi) {
    const HWND window = organiser_.window();
    RECT outer{};
    RECT client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    const int frameWidth = (outer.right - outer.left) - client.right;
    const int frameHeight = (outer.bottom - outer.top) - client.bottom;
    RECT suggested{outer.left, outer.top,
                   outer.left + ScaleForDpi(kLayoutSizes[kSize].cx, dpi) + frameWidth,
                   outer.top + ScaleForDpi(kLayoutSizes[kSize].cy, dpi) + frameHeight};
    SendMessageW(window, kDpiChangedMessage, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&suggested));
    return suggested;
  }

  void ExpectEverythingAt(int dpi, const RECT& suggested, int activePage) {
    const HWND window = organiser_.window();
    EXPECT_EQ(organiser_.main().dpi(), dpi);
    RECT outer{};
    GetWindowRect(window, &outer);
    EXPECT_TRUE(EqualRect(&outer, &suggested)) << "the window stands elsewhere than suggested";
    RECT client{};
    GetClientRect(window, &client);
    ASSERT_EQ(client.right, ScaleForDpi(kLayoutSizes[kSize].cx, dpi));
    ASSERT_EQ(client.bottom, ScaleForDpi(kLayoutSizes[kSize].cy, dpi));

    for (const PageCase& pageCase : AllPageCases()) {
      const int index = static_cast<int>(pageCase.kind) + 1;
      SCOPED_TRACE(std::string(pageCase.name) + " page");
      RecordPage& shown = page(index);
      const ExpectedRects& rects = LayoutRectsAt100(pageCase.kind);
      ASSERT_EQ(shown.controls().size(), rects.size());
      for (std::size_t slot = 0; slot < rects.size(); ++slot) {
        const HWND control = shown.controls()[slot];
        ExpectScaledRect(control, rects[slot].atSize[kSize], dpi, "control " + std::to_string(slot));
        EXPECT_EQ(IsWindowVisible(control) != FALSE, index == activePage) << "control " << slot;
        if (control != shown.listView()) {
          EXPECT_EQ(FontHeight(control), ScaleForDpi(13, dpi)) << "control " << slot;
        }
      }
      for (std::size_t column = 0; column < pageCase.columnFields.size(); ++column) {
        EXPECT_EQ(ListView_GetColumnWidth(shown.listView(), static_cast<int>(column)),
                  ScaleForDpi(100, dpi));
      }
      // The platform's list font, made for the screen, scaled to the window.
      EXPECT_EQ(FontHeight(shown.listView()),
                ScaleBetweenDpis(listFontAtStart_, ScreenDpi(), dpi));
    }

    const TabStrip& tabs = organiser_.main().tabStrip();
    for (int index = 1; index <= 3; ++index) {
      const RECT tab = ChildRect(tabs.button(index));
      EXPECT_EQ(tab.top, ScaleForDpi(5, dpi)) << "tab " << index;
      EXPECT_EQ(tab.bottom - tab.top, ScaleForDpi(19, dpi)) << "tab " << index;
      EXPECT_EQ(FontHeight(tabs.button(index)), ScaleForDpi(13, dpi)) << "tab " << index;
    }
    EXPECT_EQ(ChildRect(tabs.button(1)).left, ScaleForDpi(8, dpi));
    const RECT band = ChildRect(tabs.band());
    EXPECT_EQ(band.bottom - band.top, ScaleForDpi(22, dpi));
    EXPECT_EQ(band.right - band.left, client.right - ScaleForDpi(7, dpi));

    MINMAXINFO limits{};
    SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, ScaleForDpi(424, dpi));
    EXPECT_EQ(limits.ptMinTrackSize.y, ScaleForDpi(438, dpi));
  }

  void ClickTab(int id) {
    SendMessageW(GetDlgItem(organiser_.window(), id), BM_CLICK, 0, 0);
  }

  OrganiserWindow organiser_;
  int listFontAtStart_ = 0;
};

TEST_F(DpiChangeTest, EverythingMovesToTheScaleOfEachDisplayAndBack) {
  const int own = ScreenDpi();
  for (int dpi : {96, 120, 144, 192}) {
    if (dpi == own) continue;
    SCOPED_TRACE("moved to " + std::to_string(dpi) + " DPI");
    const RECT suggested = MoveTo(dpi);
    ExpectEverythingAt(dpi, suggested, 1);
  }
  // A page hidden during the moves shows at the last scale.
  ClickTab(kPhoneTab);
  {
    SCOPED_TRACE("phone book tab after the moves");
    RECT outer{};
    GetWindowRect(organiser_.window(), &outer);
    ExpectEverythingAt(organiser_.main().dpi(), outer, 3);
  }
  ClickTab(kNotesTab);
  SCOPED_TRACE("back on a display of the screen's own " + std::to_string(own) + " DPI");
  const RECT suggested = MoveTo(own);
  ExpectEverythingAt(own, suggested, 1);
}

}  // namespace
}  // namespace ondrel::test
