// The list panel of a record page: columns, rows and selection.
#include <windows.h>
#include <commctrl.h>

#include "organiser/pages/record_page.h"
#include "organiser/store/database.h"
#include "organiser/store/document_kinds.h"
#include "organiser/win32/dpi_scale.h"
#include "organiser/win32/wide_text.h"
#include "organiser/win32/window_dpi.h"

namespace ondrel {

namespace {

constexpr int kColumnWidth = 100;
constexpr UINT kSelectedAndFocused = LVIS_SELECTED | LVIS_FOCUSED;

// The list view copies item and column texts, but takes them through a
// non-const pointer.
wchar_t* ListText(Text& text) { return reinterpret_cast<wchar_t*>(&text[0]); }

// Stops a list view from redrawing for as long as it lives. WM_SETREDRAW
// also sets and clears the visible style, so a list that is hidden is left
// alone.
class ListRedrawPause {
 public:
  explicit ListRedrawPause(HWND list)
      : list_((GetWindowLongW(list, GWL_STYLE) & WS_VISIBLE) != 0 ? list : nullptr) {
    if (list_ != nullptr) SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
  }
  ~ListRedrawPause() {
    if (list_ == nullptr) return;
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
  }
  ListRedrawPause(const ListRedrawPause&) = delete;
  ListRedrawPause& operator=(const ListRedrawPause&) = delete;

 private:
  HWND list_;  // not owned
};

}  // namespace

Text RecordPage::CellText(Document* document, const ColumnSpec& column) const {
  const TextField* field = nullptr;
  if (column.fieldIndex == ColumnSpec::kModifyDate) {
    field = &document->GetModifyDate();
  } else if (auto* fielded = dynamic_cast<FieldedDocument*>(document)) {
    const auto index = static_cast<std::size_t>(column.fieldIndex);
    if (index < fielded->FieldCount()) field = &fielded->Field(index);
  }
  // A missing field shows as an empty cell.
  return field != nullptr && field->has_value() ? **field : Text();
}

void RecordPage::FillList() {
  SendMessageW(listView_, LVM_DELETEALLITEMS, 0, 0);
  for (std::size_t index = 0; index < description_.columns.size(); ++index) {
    const char16_t* header = PageText(description_.columns[index].headerKey);
    Text headerText = header != nullptr ? Text(header) : Text();
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = ScaleForDpi(kColumnWidth, dpi_);
    column.iSubItem = static_cast<int>(index);
    headerText.push_back(u'\0');
    column.pszText = ListText(headerText);
    SendMessageW(listView_, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
  }
  if (database_ != nullptr) database_->ListDocuments(*results_, description_.kindName);
  ListResults(true);
}

void RecordPage::FitListFont() {
  // The platform made the list's font for the screen's DPI; a window moved to
  // a display of another DPI gets a copy scaled to it.
  HFONT platformFont = listPlatformFont_;
  if (platformFont == nullptr) platformFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  const int screenDpi = ScreenDpi();
  Font scaled;
  LOGFONTW description{};
  if (dpi_ != screenDpi && platformFont != nullptr &&
      GetObjectW(platformFont, sizeof description, &description) == int{sizeof description}) {
    description.lfHeight = ScaleBetweenDpis(description.lfHeight, screenDpi, dpi_);
    description.lfWidth = ScaleBetweenDpis(description.lfWidth, screenDpi, dpi_);
    scaled.Reset(CreateFontIndirectW(&description));
  }
  if (!scaled && !listScaledFont_) return;  // the list has its own font already
  SendMessageW(listView_, WM_SETFONT,
               reinterpret_cast<WPARAM>(scaled ? scaled.get() : listPlatformFont_), TRUE);
  // The copy it had goes only now that the list no longer uses it.
  listScaledFont_ = std::move(scaled);
}

void RecordPage::ListSearchResults(const SearchQuery& query) {
  SendMessageW(listView_, LVM_DELETEALLITEMS, 0, 0);
  results_->Clear();
  if (database_ != nullptr) database_->Search(*results_, query);
  // Selecting the first row shows it through the list's notification,
  // which asks first when the form still holds unsaved text.
  if (!ListResults(false)) {
    ClearForm();
    current_ = nullptr;
  }
}

bool RecordPage::ListResults(bool showFirst) {
  {
    // Thousands of rows go in at once: the list reserves room for them and
    // neither draws nor rearranges itself until the last one is in.
    ListRedrawPause pause(listView_);
    SendMessageW(listView_, LVM_SETITEMCOUNT, results_->count(), LVSICF_NOINVALIDATEALL);
    for (std::uint32_t i = 0; i < results_->count(); ++i) {
      InsertRow((*results_)[i], static_cast<int>(i));
    }
  }
  if (SendMessageW(listView_, LVM_GETITEMCOUNT, 0, 0) <= 0) return false;
  SelectRow(0);
  // During Create no page is active yet, so the selection's notification
  // may not reach the page; show the row's document explicitly.
  if (showFirst) ShowDocument(DocumentAtRow(0));
  return true;
}

int RecordPage::InsertRow(Document* document, int index) {
  if (document == nullptr || document->IsDeleted()) return -1;
  if (index == -1) index = static_cast<int>(SendMessageW(listView_, LVM_GETITEMCOUNT, 0, 0));
  if (description_.columns.empty()) return -1;

  Text first = CellText(document, description_.columns[0]);
  first.push_back(u'\0');
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = index;
  item.iSubItem = 0;
  item.pszText = ListText(first);
  item.lParam = reinterpret_cast<LPARAM>(document);
  // Removed documents get no row, so a requested index can lie beyond the
  // end; the list then appends, and the further cells must go to the row it
  // really made, not to the index asked for.
  const int row = static_cast<int>(
      SendMessageW(listView_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (row < 0) return -1;
  for (std::size_t c = 1; c < description_.columns.size(); ++c) {
    Text cell = CellText(document, description_.columns[c]);
    cell.push_back(u'\0');
    LVITEMW sub{};
    sub.mask = LVIF_TEXT;
    sub.iItem = row;
    sub.iSubItem = static_cast<int>(c);
    sub.pszText = ListText(cell);
    SendMessageW(listView_, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&sub));
  }
  return row;
}

void RecordPage::UpdateRow(Document* document) {
  if (document == nullptr || document->IsDeleted()) return;
  const int row = FindRow(document);
  if (row < 0) return;
  for (std::size_t c = 0; c < description_.columns.size(); ++c) {
    Text cell = CellText(document, description_.columns[c]);
    cell.push_back(u'\0');
    LVITEMW item{};
    item.mask = c == 0 ? (LVIF_TEXT | LVIF_PARAM) : LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = static_cast<int>(c);
    item.pszText = ListText(cell);
    item.lParam = reinterpret_cast<LPARAM>(document);
    SendMessageW(listView_, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
}

int RecordPage::FindRow(Document* document) const {
  LVFINDINFOW find{};
  find.flags = LVFI_PARAM;
  find.lParam = reinterpret_cast<LPARAM>(document);
  return static_cast<int>(
      SendMessageW(listView_, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

Document* RecordPage::DocumentAtRow(int row) const {
  if (row < 0) return nullptr;
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  item.iSubItem = 0;
  if (!SendMessageW(listView_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
  return reinterpret_cast<Document*>(item.lParam);
}

void RecordPage::SelectRow(int row) {
  LVITEMW state{};
  state.stateMask = kSelectedAndFocused;
  state.state = kSelectedAndFocused;
  SendMessageW(listView_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
  SendMessageW(listView_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), TRUE);
}

void RecordPage::HighlightCurrent() {
  LVITEMW clear{};
  clear.stateMask = LVIS_SELECTED;
  clear.state = 0;
  SendMessageW(listView_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
  const int row = current_ != nullptr ? FindRow(current_) : -1;
  // Selecting the row of the record in the form replaces nothing (see
  // OnItemChanged), so this never asks.
  if (row >= 0) SelectRow(row);
}

bool RecordPage::IsCurrentHighlighted() const {
  const int row = current_ != nullptr ? FindRow(current_) : -1;
  const int first = static_cast<int>(
      SendMessageW(listView_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (row < 0) return first < 0;
  return first == row &&
         SendMessageW(listView_, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED) < 0;
}

void RecordPage::OnItemChanged(const NMLISTVIEW& change) {
  if ((change.uChanged & LVIF_STATE) != 0 && (change.uOldState & LVIS_SELECTED) != 0 &&
      (change.uNewState & LVIS_SELECTED) == 0) {
    // A click on the list's empty area, or Ctrl with a click or Space,
    // takes the highlight and selects nothing: the form still shows its
    // record, so its row gets the highlight back.
    CheckHighlightLater();
  }
  // Only a row becoming the selected and focused one replaces the form;
  // deselecting, focus alone or extending a multiple selection do not.
  if (change.uNewState != kSelectedAndFocused || change.iItem == -1) return;
  Document* chosen = DocumentAtRow(change.iItem);
  if (chosen == current_ && chosen != nullptr) return;  // the form shows it already
  if (!AskToSave()) {
    // The edited record's save failed: it stays in the form and highlighted.
    HighlightCurrent();
    return;
  }
  ShowDocument(chosen);
  HighlightCurrent();
  SetFocus(listView_);
}

}  // namespace ondrel
