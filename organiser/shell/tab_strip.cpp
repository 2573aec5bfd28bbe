#include "organiser/shell/tab_strip.h"

#include <algorithm>
#include <vector>

#include "organiser/text/language_table.h"
#include "organiser/win32/fonts.h"
#include "organiser/win32/object_selection.h"
#include "organiser/win32/wide_text.h"

namespace ondrel {
namespace {

constexpr DWORD kTabButtonStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | BS_OWNERDRAW;
constexpr int kTabHeight = 19;

HWND CreateChild(HWND parent, DWORD extendedStyle, const wchar_t* className,
                 const char16_t* text, DWORD style, int id) {
  return CreateWindowExW(extendedStyle, className, AsWide(text), style, 0, 0, 0, 0, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleW(nullptr), nullptr);
}

int TextLength(const char16_t* text) {
  return text == nullptr ? 0 : static_cast<int>(std::char_traits<char16_t>::length(text));
}

// A one-pixel solid line from (fromX, fromY) to (toX, toY), end point left out.
void DrawLine(HDC dc, COLORREF colour, int fromX, int fromY, int toX, int toY) {
  Pen pen(CreatePen(PS_SOLID, 1, colour));
  ObjectSelection selection(dc, pen.get());
  MoveToEx(dc, fromX, fromY, nullptr);
  LineTo(dc, toX, toY);
}

}  // namespace

void TabStrip::Create(HWND mainWindow, int dpi) {
  dpi_ = dpi;
  band_ = CreateChild(mainWindow, WS_EX_STATICEDGE, L"Static", nullptr,
                      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0);
  tab1_ = CreateChild(mainWindow, 0, L"Button", Caption(1), kTabButtonStyle, kFirstTabId);
  tab2_ = CreateChild(mainWindow, 0, L"Button", Caption(2), kTabButtonStyle, kFirstTabId + 1);
  tab3_ = CreateChild(mainWindow, 0, L"Button", Caption(3), kTabButtonStyle, kFirstTabId + 2);

  font_ = MakeOrganiserFont(dpi_);
  SetFontOfWindows();
  for (HWND window : {band_, tab1_, tab2_, tab3_}) ShowWindow(window, SW_SHOW);
  Layout(mainWindow);
}

void TabStrip::SetDpi(int dpi) {
  if (dpi <= 0 || dpi == dpi_) return;
  dpi_ = dpi;
  if (band_ == nullptr) return;
  Font previous = std::move(font_);
  font_ = MakeOrganiserFont(dpi_);
  SetFontOfWindows();
  // previous goes only now that no window uses it.
}

void TabStrip::SetFontOfWindows() const {
  for (HWND window : {band_, tab1_, tab2_, tab3_}) {
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
  }
}

int TabStrip::WidestCaption(HDC dc) const {
  int widest = 0;
  for (int page = 1; page <= 3; ++page) {
    const char16_t* caption = Caption(page);
    SIZE extent{};
    if (caption != nullptr &&
        GetTextExtentPoint32W(dc, AsWide(caption), TextLength(caption), &extent)) {
      widest = std::max(widest, static_cast<int>(extent.cx));
    }
  }
  return widest;
}

void TabStrip::Layout(HWND mainWindow) const {
  if (band_ == nullptr) return;
  RECT client{};
  GetClientRect(mainWindow, &client);
  const int clientWidth = client.right - client.left;
  const auto px = [this](int designValue) { return ScaleForDpi(designValue, dpi_); };

  // Measured in the window's own default font, and in the tab font the
  // captions are drawn in: the wider wins. At 100 % that is the default
  // font, and the buttons come out a little wider than their captions need.
  // The default font is made for the screen's DPI alone and need not grow
  // with the window's (Wine's keeps its 100 % width at every scale); the tab
  // font follows the window, so a caption is never cut.
  int widest = 0;
  {
    const WindowDc dc = WholeWindowDc(mainWindow);
    if (dc.get() != nullptr) {
      widest = WidestCaption(dc.get());
      const ObjectSelection tabFont(dc.get(), font_.get());
      widest = std::max(widest, WidestCaption(dc.get()));
    }
  }
  const int width = widest + px(6);

  // Screen order: notes, phone book, passwords. Without SWP_NOZORDER each
  // call raises its window, so the band ends up above the buttons; as a
  // static without SS_NOTIFY it lets clicks through to them.
  const int left = px(8);
  const int top = px(5);
  const int height = px(kTabHeight);
  SetWindowPos(tab1_, HWND_TOP, left, top, width, height, SWP_SHOWWINDOW);
  SetWindowPos(tab3_, HWND_TOP, left + width, top, width, height, SWP_SHOWWINDOW);
  SetWindowPos(tab2_, HWND_TOP, left + 2 * width, top, width, height, SWP_SHOWWINDOW);
  SetWindowPos(band_, HWND_TOP, px(3), px(2), clientWidth - px(7), px(22), SWP_SHOWWINDOW);
}

void TabStrip::DrawButton(HWND button, HDC dc, const RECT& rect) const {
  const bool isSelected = button == selected_;
  if (isSelected) {
    FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
    // Raised outline: white left and top edges, black right edge.
    {
      Pen white(CreatePen(PS_SOLID, 1, RGB(0xFF, 0xFF, 0xFF)));
      ObjectSelection selection(dc, white.get());
      MoveToEx(dc, rect.left, rect.bottom - 1, nullptr);
      LineTo(dc, rect.left, rect.top);
      LineTo(dc, rect.right - 1, rect.top);
      LineTo(dc, rect.right - 1, rect.top + 1);
      Pen black(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
      ObjectSelection blackSelection(dc, black.get());
      LineTo(dc, rect.right - 1, rect.bottom);
    }
  } else {
    Brush band(CreateSolidBrush(kTabBandColour));
    FillRect(dc, &rect, band.get());
    // The selected tab never has a separator against its left side.
    const HWND right = RightNeighbour(button);
    if (right == nullptr || right != selected_) {
      // Inset from the button's top and bottom by 100 % values, scaled; the
      // line itself stays one pixel wide.
      DrawLine(dc, kTabSeparatorColour, rect.right - 1, rect.bottom - ScaleForDpi(3, dpi_),
               rect.right - 1, rect.top + ScaleForDpi(1, dpi_));
    }
  }

  const int length = GetWindowTextLengthW(button);
  if (length <= 0) return;
  std::vector<wchar_t> caption(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(button, caption.data(), length + 1);
  if (copied <= 0) return;

  const COLORREF previousText = SetTextColor(dc, isSelected ? RGB(0, 0, 0) : kTabCaptionColour);
  const COLORREF previousBackground = GetBkColor(dc);
  if (!isSelected) SetBkColor(dc, kTabBandColour);
  RECT textRect{rect.left, rect.top + ScaleForDpi(2, dpi_), rect.right, rect.bottom};
  DrawTextW(dc, caption.data(), copied, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SetTextColor(dc, previousText);
  SetBkColor(dc, previousBackground);
}

void TabStrip::Select(int pageIndex) { selected_ = button(pageIndex); }

void TabStrip::RefreshCaptions() const {
  for (int page = 1; page <= 3; ++page) SetWindowTextW(button(page), AsWide(Caption(page)));
}

void TabStrip::ForgetWindows() {
  band_ = tab1_ = tab2_ = tab3_ = selected_ = nullptr;
}

bool TabStrip::IsTabButton(HWND window) const {
  return window != nullptr && (window == tab1_ || window == tab2_ || window == tab3_);
}

HWND TabStrip::button(int pageIndex) const {
  switch (pageIndex) {
    case 1: return tab1_;
    case 2: return tab2_;
    case 3: return tab3_;
    default: return nullptr;
  }
}

const char16_t* TabStrip::Caption(int pageIndex) const {
  static constexpr const char16_t* kKeys[] = {u"Tab1", u"Tab2", u"Tab3"};
  return language_.Lookup(u"MainWindow", kKeys[pageIndex - 1]);
}

HWND TabStrip::RightNeighbour(HWND button) const {
  if (button == tab1_) return tab3_;
  if (button == tab3_) return tab2_;
  return nullptr;
}

}  // namespace ondrel
