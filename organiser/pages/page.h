#pragma once
// A record page: list panel, document form and buttons, all direct children
// of the main window. The shell creates the three pages, makes one active,
// passes every other message of the main window to the active page, and
// decides when the program ends.

#include <windows.h>

#include <cstdint>

#include "organiser/win32/focus_ring.h"

namespace ondrel {

class Database;

class Page {
 public:
  virtual ~Page() = default;

  // Builds the page's controls as children of parentWindow and fills its
  // list from database (neither owned).
  virtual void Create(HWND parentWindow, Database* database) = 0;
  // Shows the controls and lays them out.
  virtual void Show() = 0;
  // Offers to save pending edits, then hides the controls. Returns false,
  // and stays shown, when the user asked to save and the save failed.
  virtual bool Hide() = 0;
  // Offers to save pending edits before the program closes. Returns false,
  // with the form as typed, when the user asked to save and the save
  // failed: the program then stays open.
  virtual bool OfferToSave() = 0;
  // Saves pending edits without asking, for a session that is ending:
  // nobody may be there to answer, so nothing is shown. Returns false, with
  // the form as typed, when they could not be written.
  virtual bool SaveForSessionEnd() = 0;
  // True while the page holds something the file does not: typed text, or
  // a record whose save failed.
  virtual bool HasUnsavedChanges() const = 0;
  // Places the controls over the main window's client area, at the page's
  // scale. A hidden page's controls are placed and stay hidden.
  virtual void Layout() = 0;
  // Takes dpi as the page's scale, for a move to a display of another DPI:
  // remakes the page's fonts and widens or narrows its list columns in
  // proportion. The next Layout places the controls at that scale. Before
  // Create a page takes the scale of the window it is created in.
  virtual void SetDpi(int dpi) = 0;
  // Refills ring with the page's focusable controls; returns their count.
  virtual std::uint32_t FillFocusRing(FocusRing& ring) = 0;
  // Every message the main window passes on while this page is active.
  virtual LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

}  // namespace ondrel
