#pragma once
// The row of three owner-drawn tabs across the top of the main window: a
// sunken band with the buttons of the note, phone-book and password pages
// on it (in that order on screen). Its windows are children of the main
// window, which routes their creation, layout, drawing and clicks here.

#include <windows.h>

#include "organiser/win32/dpi_scale.h"
#include "organiser/win32/gdi_owners.h"

namespace ondrel {

class LanguageTable;

// Colours of the tab strip.
constexpr COLORREF kTabBandColour = RGB(0xF0, 0xF0, 0xE8);
constexpr COLORREF kTabCaptionColour = RGB(0x50, 0x54, 0x50);
constexpr COLORREF kTabSeparatorColour = RGB(0x80, 0x80, 0x80);

// Command ids of the tab buttons of pages 1, 2 and 3.
constexpr int kFirstTabId = 300;

class TabStrip {
 public:
  // language is not owned and must outlive the strip.
  explicit TabStrip(const LanguageTable& language) : language_(language) {}

  TabStrip(const TabStrip&) = delete;
  TabStrip& operator=(const TabStrip&) = delete;

  // Creates the band and the three buttons as children of mainWindow, with
  // the tab font, and lays them out, all at dpi.
  void Create(HWND mainWindow, int dpi);
  // Takes dpi as the strip's scale and remakes the tab font; the next Layout
  // places the windows at that scale.
  void SetDpi(int dpi);
  // Places the buttons side by side, each as wide as the widest caption
  // plus 6, and stretches the band over the client width (all 100 % values,
  // scaled to the strip's DPI).
  void Layout(HWND mainWindow) const;
  // Paints one tab button into dc: raised when it is the selected tab,
  // otherwise flat with a separator on its right edge unless the selected
  // tab stands right of it on screen.
  void DrawButton(HWND button, HDC dc, const RECT& rect) const;

  // Marks the button of pageIndex (1 to 3) as the selected tab.
  void Select(int pageIndex);
  // Sets the three captions again, which makes every button redraw.
  void RefreshCaptions() const;
  // Forgets the windows once the main window has destroyed them.
  void ForgetWindows();

  bool IsTabButton(HWND window) const;
  HWND band() const { return band_; }
  // The button of pageIndex (1 notes, 2 passwords, 3 phone book).
  HWND button(int pageIndex) const;
  HWND selected() const { return selected_; }
  int dpi() const { return dpi_; }

 private:
  const char16_t* Caption(int pageIndex) const;
  void SetFontOfWindows() const;
  // The widest of the three captions in dc's font; a missing caption
  // measures 0.
  int WidestCaption(HDC dc) const;
  // The button standing right of button on screen, or null for the last.
  HWND RightNeighbour(HWND button) const;

  const LanguageTable& language_;
  HWND band_ = nullptr;  // not owned: destroyed with the main window
  HWND tab1_ = nullptr;
  HWND tab2_ = nullptr;
  HWND tab3_ = nullptr;
  HWND selected_ = nullptr;
  int dpi_ = kDesignDpi;
  Font font_;
};

}  // namespace ondrel
