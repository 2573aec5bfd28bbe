#pragma once
// A page described as data: the controls it creates (in creation order),
// where its layout puts them, the focus order, the form fields and the list
// columns. One framework (record_page.h) builds and drives any page from it.

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <vector>

#include "organiser/win32/dpi_scale.h"

namespace ondrel {

// Where a control's text comes from.
struct ControlText {
  enum class Source { kNone, kPageSection, kMainWindow, kLiteral };
  Source source = Source::kNone;
  const char16_t* value = nullptr;  // key, or the literal text itself

  static ControlText None() { return {}; }
  static ControlText Page(const char16_t* key) { return {Source::kPageSection, key}; }
  static ControlText Main(const char16_t* key) { return {Source::kMainWindow, key}; }
  static ControlText Literal(const char16_t* text) { return {Source::kLiteral, text}; }
};

struct ControlSpec {
  const wchar_t* className;
  DWORD exStyle;
  DWORD style;
  int id;  // 0 for controls nobody addresses by id
  ControlText text;
};

// One coordinate of a layout formula: base + perWidth * W + perHeight * H,
// with W and H the client size of the main window in pixels. base is a
// design value at 100 % and is scaled to the page's DPI; W and H are already
// pixels at that DPI, so an edge that follows the window stays as far from
// it as the scaled base says.
struct Coord {
  int base = 0;
  int perWidth = 0;
  int perHeight = 0;

  int At(int width, int height, int dpi) const {
    return ScaleForDpi(base, dpi) + perWidth * width + perHeight * height;
  }
};

inline Coord Fixed(int value) { return {value, 0, 0}; }
inline Coord FromWidth(int offset) { return {offset, 1, 0}; }
inline Coord FromHeight(int offset) { return {offset, 0, 1}; }

// One step of a page's layout, on the control of the given slot.
struct LayoutStep {
  enum class Action {
    kPlace,        // SetWindowPos(HWND_TOP, ..., SWP_SHOWWINDOW)
    kPlaceHidden,  // SetWindowPos(HWND_TOP, ..., SWP_HIDEWINDOW)
    kHide,         // ShowWindow(SW_HIDE)
    kShow,         // ShowWindow(SW_SHOW)
  };
  Action action;
  std::size_t slot;
  Coord x, y, width, height;
};

inline LayoutStep Place(std::size_t slot, Coord x, Coord y, Coord width, Coord height) {
  return {LayoutStep::Action::kPlace, slot, x, y, width, height};
}

// The cell text of a list column: a field of the document, or its
// modification date.
struct ColumnSpec {
  static constexpr int kModifyDate = -1;
  const char16_t* headerKey;
  int fieldIndex;  // declared field index of the kind, or kModifyDate
};

// One form field: the edit's slot and the declared field index it shows.
struct FormFieldSpec {
  std::size_t editSlot;
  std::size_t fieldIndex;
};

struct PageDescription {
  const char16_t* kindName;
  const char16_t* section;
  int listViewId;
  int saveId;  // Cancel, Remove and New follow on the next three ids
  std::vector<ControlSpec> controls;  // creation order; also Show/Hide order
  std::size_t listViewSlot;
  std::vector<LayoutStep> layout;
  std::vector<std::size_t> focusOrder;
  std::vector<FormFieldSpec> form;  // form order; the last is the body edit
  std::vector<ColumnSpec> columns;
};

// Styles shared by the pages.
constexpr DWORD kListViewStyle = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS;
constexpr DWORD kPushButtonStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kSingleLineEditStyle =
    WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_TABSTOP | ES_AUTOHSCROLL;
// The body edits scroll vertically and follow the caret: without that the
// platform refuses every line (typed or pasted) that no longer fits.
constexpr DWORD kMultiLineEditStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_TABSTOP |
                                      WS_VSCROLL | ES_MULTILINE | ES_WANTRETURN |
                                      ES_AUTOHSCROLL | ES_AUTOVSCROLL;


// The controls every page has, as table rows.
inline ControlSpec ListViewControl(int id) {
  return {WC_LISTVIEWW, WS_EX_CLIENTEDGE, kListViewStyle, id, ControlText::None()};
}
inline ControlSpec GroupBoxControl(DWORD extraStyle, const char16_t* key) {
  return {L"Button", 0, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | BS_GROUPBOX | extraStyle, 0,
          ControlText::Page(key)};
}
inline ControlSpec LabelControl(DWORD extraStyle, ControlText text) {
  return {L"Static", 0, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | SS_LEFT | extraStyle, 0, text};
}
inline ControlSpec PushButtonControl(int id, ControlText text) {
  return {L"Button", 0, kPushButtonStyle, id, text};
}
inline ControlSpec SingleLineEditControl(int id) {
  return {L"Edit", WS_EX_CLIENTEDGE, kSingleLineEditStyle, id, ControlText::None()};
}
inline ControlSpec MultiLineEditControl(int id) {
  return {L"Edit", WS_EX_CLIENTEDGE, kMultiLineEditStyle, id, ControlText::None()};
}

}  // namespace ondrel
