// The three programs' windows at the display scale of this run's prefix
// (run_at_dpi.sh runs this program at 96, 120, 144 and 192 DPI): every page's
// controls, list columns and font, the first and smallest main window, the
// tab strip, and the installer's window, each a 100 % value scaled.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "organiser/pages/record_page.h"
#include "organiser/shell/tab_strip.h"
#include "organiser/win32/window_dpi.h"
#include "tests/pages/page_cases.h"
#include "tests/scale/scale_support.h"
#include "tests/support/started_organiser.h"

namespace ondrel::test {
namespace {

const std::wstring kDistFolder = ONDREL_DIST_FOLDER;
constexpr DWORD kPatience = 20000;

class ScaleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dpi_ = ScreenDpi();
    ASSERT_EQ(dpi_, ExpectedDpi()) << "the prefix is not at the scale run_at_dpi.sh set";
  }
  int Px(int designValue) const { return ScaleForDpi(designValue, dpi_); }

  int dpi_ = 0;
};

class PageScaleTest : public ScaleTest, public ::testing::WithParamInterface<PageCase> {};

TEST_P(PageScaleTest, EveryControlStandsAtItsHundredPercentPlaceScaled) {
  const ExpectedRects& rects = LayoutRectsAt100(GetParam().kind);
  PageHost host(GetParam().kind, GetParam().FileText());
  EXPECT_EQ(host.page().dpi(), dpi_);
  for (std::size_t size = 0; size < 2; ++size) {
    const SIZE at100 = kLayoutSizes[size];
    host.Resize(Px(at100.cx), Px(at100.cy));
    const auto& controls = host.page().controls();
    ASSERT_EQ(controls.size(), rects.size());
    for (std::size_t slot = 0; slot < controls.size(); ++slot) {
      const std::string what = std::to_string(at100.cx) + "x" + std::to_string(at100.cy) +
                               " control " + std::to_string(slot);
      ExpectScaledRect(controls[slot], rects[slot].atSize[size], dpi_, what);
      EXPECT_TRUE(IsWindowVisible(controls[slot])) << what;
    }
  }
}

TEST_P(PageScaleTest, ColumnsAndFontFollowTheScale) {
  PageHost host(GetParam().kind, GetParam().FileText());
  const HWND header = ListView_GetHeader(host.ListView());
  ASSERT_EQ(Header_GetItemCount(header), static_cast<int>(GetParam().columnFields.size()));
  for (int column = 0; column < Header_GetItemCount(header); ++column) {
    EXPECT_EQ(ListView_GetColumnWidth(host.ListView(), column), Px(100)) << "column " << column;
  }
  // At 100 % the bitmap face the programs always showed; above, its
  // TrueType twin, drawn smoothly at any size.
  const wchar_t* face = dpi_ == kDesignDpi ? L"MS Sans Serif" : L"Microsoft Sans Serif";
  for (HWND control : host.page().controls()) {
    if (control == host.ListView()) continue;
    EXPECT_EQ(FontHeight(control), Px(13)) << "control " << GetDlgCtrlID(control);
    LOGFONTW description{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)),
               sizeof description, &description);
    EXPECT_STREQ(description.lfFaceName, face);
  }
}

TEST_P(PageScaleTest, BodyEditLinesGrowWithTheFont) {
  PageHost host(GetParam().kind, u"<Database></Database>");
  const int bodyId = GetParam().formIds.back();
  host.Type(bodyId, u"first line\r\nsecond line");
  const HWND body = host.Control(bodyId);
  const auto secondLine = static_cast<WPARAM>(SendMessageW(body, EM_LINEINDEX, 1, 0));
  const LRESULT first = SendMessageW(body, EM_POSFROMCHAR, 0, 0);
  const LRESULT second = SendMessageW(body, EM_POSFROMCHAR, secondLine, 0);
  // The line pitch is the font's height, which the face's own rounding may
  // leave a pixel off the height asked for.
  EXPECT_NEAR(HIWORD(second) - HIWORD(first), Px(13), 1);
}

INSTANTIATE_TEST_SUITE_P(Pages, PageScaleTest, ::testing::ValuesIn(AllPageCases()),
                         [](const ::testing::TestParamInfo<PageCase>& param) { return param.param.name; });

TEST_F(ScaleTest, FirstAndSmallestMainWindowAndTheTabsScale) {
  OrganiserWindow organiser;
  const HWND window = organiser.window();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(organiser.main().dpi(), dpi_);
  RECT rect{};
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.left, Px(50));
  EXPECT_EQ(rect.top, Px(100));
  EXPECT_EQ(rect.right - rect.left, Px(600));
  EXPECT_EQ(rect.bottom - rect.top, Px(450));

  MINMAXINFO limits{};
  SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMinTrackSize.x, Px(424));
  EXPECT_EQ(limits.ptMinTrackSize.y, Px(438));

  const TabStrip& tabs = organiser.main().tabStrip();
  RECT client{};
  GetClientRect(window, &client);
  const RECT band = ChildRect(tabs.band());
  EXPECT_EQ(band.left, Px(3));
  EXPECT_EQ(band.top, Px(2));
  EXPECT_EQ(band.right - band.left, client.right - Px(7));
  EXPECT_EQ(band.bottom - band.top, Px(22));
  // Side by side in screen order, each wide enough for every caption in the
  // tab font it is drawn in, with room to spare.
  const HDC dc = GetDC(window);
  SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(tabs.button(1), WM_GETFONT, 0, 0)));
  int widest = 0;
  for (const wchar_t* caption : {L"Notes", L"Passwords", L"Phone book"}) {
    SIZE extent{};
    GetTextExtentPoint32W(dc, caption, lstrlenW(caption), &extent);
    widest = std::max(widest, static_cast<int>(extent.cx));
  }
  ReleaseDC(window, dc);
  int left = Px(8);
  for (int page : {1, 3, 2}) {
    const RECT tab = ChildRect(tabs.button(page));
    EXPECT_EQ(tab.left, left) << "tab " << page;
    EXPECT_EQ(tab.top, Px(5)) << "tab " << page;
    EXPECT_EQ(tab.bottom - tab.top, Px(19)) << "tab " << page;
    EXPECT_GE(tab.right - tab.left, widest + Px(6)) << "tab " << page;
    EXPECT_EQ(FontHeight(tabs.button(page)), Px(13)) << "tab " << page;
    left = tab.right;
  }
}

// The installer as a user starts it, from the folder of shipped files.
TEST_F(ScaleTest, InstallerWindowAndControlsScale) {
  StartedOrganiser installer(kDistFolder + L"installer.exe");
  ASSERT_TRUE(installer.started());
  const HWND window = installer.WaitForWindow(L"ZqInstall", kPatience);
  ASSERT_NE(window, nullptr) << installer.State();
  // The window shows while it is being made, before its buttons exist.
  for (DWORD waited = 0; GetDlgItem(window, 101) == nullptr && waited < kPatience; waited += 10) {
    Sleep(10);
  }
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, Px(600));
  EXPECT_EQ(client.bottom, Px(400));

  struct Control {
    int id;
    Rect at100;
  };
  for (const Control& control : {Control{102, {5, 5, 590, 360}}, Control{100, {418, 372, 80, 24}},
                                 Control{101, {505, 372, 80, 24}}}) {
    ExpectScaledRect(GetDlgItem(window, control.id), control.at100, dpi_,
                     "control " + std::to_string(control.id));
  }
  // The licence's lines grow with its font, 15 pixels at 100 %.
  const HWND licence = GetDlgItem(window, 102);
  const auto secondLine = static_cast<WPARAM>(SendMessageW(licence, EM_LINEINDEX, 1, 0));
  ASSERT_GT(secondLine, 0u);
  const LRESULT first = SendMessageW(licence, EM_POSFROMCHAR, 0, 0);
  const LRESULT second = SendMessageW(licence, EM_POSFROMCHAR, secondLine, 0);
  EXPECT_NEAR(HIWORD(second) - HIWORD(first), Px(15), 1);

  SendMessageW(GetDlgItem(window, 101), BM_CLICK, 0, 0);
  EXPECT_EQ(installer.WaitForExit(kPatience), 0u);
}

}  // namespace
}  // namespace ondrel::test
