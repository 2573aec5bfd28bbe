#pragma once
// The framework shared by the three record pages: a list of the documents of
// one kind, a form for one document, and the Save, Cancel, Remove and New
// buttons, all built and driven from the page's PageDescription.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "organiser/pages/control_table.h"
#include "organiser/pages/page.h"
#include "organiser/store/ptr_array.h"
#include "organiser/store/text.h"
#include "organiser/win32/dpi_scale.h"
#include "organiser/win32/gdi_owners.h"

namespace ondrel {

class Clock;
class Document;
class LanguageTable;
class SearchQuery;

class RecordPage : public Page {
 public:
  // description and language are not owned and outlive the page.
  RecordPage(const PageDescription& description, const LanguageTable& language);
  ~RecordPage() override;

  void Create(HWND parentWindow, Database* database) override;
  void Show() override;
  bool Hide() override;
  bool OfferToSave() override;
  bool SaveForSessionEnd() override;
  bool HasUnsavedChanges() const override;
  void Layout() override;
  void SetDpi(int dpi) override;
  std::uint32_t FillFocusRing(FocusRing& ring) override;
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

  // The page's controls in creation order (one slot per control); empty
  // before Create. For tests and screenshots.
  const std::vector<HWND>& controls() const { return controls_; }
  HWND listView() const { return listView_; }
  // The DPI the page lays itself out and makes its fonts at.
  int dpi() const { return dpi_; }
  // The document in the form; null while the form holds a new one.
  Document* current() const { return current_; }

 protected:
  // Hooks for a page's own controls and messages. The page answers message
  // itself when it returns true and sets result.
  virtual void OnControlsCreated() {}
  virtual bool HandlePageMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  HWND control(std::size_t slot) const { return controls_[slot]; }

  // True once Create has built the controls over a store.
  bool IsCreated() const { return database_ != nullptr && !controls_.empty(); }
  // The store's clock; null before Create.
  const Clock* StoreClock() const;
  // The save question. Returns whether the action that asked may go on:
  // false only after Yes when the save failed (the form keeps its text).
  bool AskToSave();
  // Lists the documents matching query in place of the list, and selects
  // the first row (whose notification shows it); with no match the form is
  // emptied for a new record.
  void ListSearchResults(const SearchQuery& query);

 private:
  void CreateControls();
  // Gives every control but the list view font (borrowed).
  void SetPageFont(HFONT font);
  void RunCommand(WPARAM command);
  Text CellText(Document* document, const ColumnSpec& column) const;
  const char16_t* PageText(const char16_t* key) const;
  const char16_t* MainText(const char16_t* key) const;

  // List (page_list.cpp).
  void FillList();
  // Gives the list view its platform font at the page's DPI: the font itself
  // where that is the screen's DPI, else a copy scaled to the page's.
  void FitListFont();
  // Lists results_ from the start and selects the first row; false when no
  // row came of it. showFirst also puts the first row's document in the
  // form: needed while the page is not active and hears no selection.
  bool ListResults(bool showFirst);
  int InsertRow(Document* document, int index);
  void UpdateRow(Document* document);
  int FindRow(Document* document) const;
  Document* DocumentAtRow(int row) const;
  void SelectRow(int row);
  // Leaves exactly the row of current_ highlighted, or none for a new form.
  void HighlightCurrent();
  bool IsCurrentHighlighted() const;
  // A row lost its highlight: once the list has finished with the input
  // that did it, the row of the record in the form is highlighted again
  // unless another row's record took its place.
  void CheckHighlightLater();
  void OnItemChanged(const NMLISTVIEW& change);

  // Form (page_form.cpp).
  // Puts document's fields in the form (null empties it) and remembers
  // what each edit then shows: an edit cannot hold every stored text (a
  // zero character ends it), and a field counts as changed only when its
  // edit differs from what it showed.
  void ShowDocument(Document* document);
  void ClearForm();
  int LongestFieldText() const;
  static bool FieldDiffers(bool differsSoFar, HWND edit, const Text& shownText);
  bool FormDiffers() const;
  enum class FailedSave { kWarn, kQuiet };
  // Saves the form: a new record whole, a shown one only in the fields the
  // user changed, so that the others keep their stored text exactly.
  // Returns false when the file could not be written; the form is kept,
  // and with kWarn the user is told.
  bool SaveForm(FailedSave failedSave = FailedSave::kWarn);
  // The answer No: the record in the form goes back to what the file holds,
  // in memory, in its row and in the form; a record the file never held
  // leaves the list and the form is emptied.
  void GiveUpEdits();
  void RemoveCurrent();
  void StartNew();
  // A warning box with text (borrowed) over the main window.
  void Warn(const char16_t* text);
  void WarnSaveFailed();
  // Tells the user once of a backup the last save made of another
  // program's version of the file.
  void TellOfChangedFile();

  HWND parentWindow_ = nullptr;  // not owned
  Database* database_ = nullptr;  // not owned
  // The documents listed, borrowed from the store.
  std::unique_ptr<PtrArray<Document>> results_;
  Document* current_ = nullptr;  // not owned
  HWND listView_ = nullptr;
  const PageDescription& description_;
  const LanguageTable& language_;
  std::vector<HWND> controls_;  // child controls, destroyed by the main window
  // What each form edit showed right after the form was last filled or
  // saved, in form order.
  std::vector<Text> shownTexts_;
  // Message boxes of this page now open: while one is, the page is inside
  // a question or a warning, and whoever opened it settles the highlight.
  int openBoxes_ = 0;
  bool highlightCheckPosted_ = false;
  // Between Show and Hide: a hidden page is laid out without being shown.
  bool shown_ = false;
  int dpi_ = kDesignDpi;
  Font font_;
  // The font the list view came with (the platform's, for the screen's
  // DPI; not owned), and its copy scaled to another DPI while one is used.
  HFONT listPlatformFont_ = nullptr;
  Font listScaledFont_;
};

}  // namespace ondrel
