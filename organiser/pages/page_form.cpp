// The document form of a record page: showing, comparing, saving, removing.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <exception>

#include "organiser/pages/record_page.h"
#include "organiser/store/database.h"
#include "organiser/store/document_kinds.h"
#include "organiser/text/message_text.h"
#include "organiser/win32/wide_text.h"
#include "organiser/win32/window_text.h"

namespace ondrel {

namespace {

// The field of document shown by one form edit; null when the document is
// not of a kind with that field.
TextField* FormField(Document* document, std::size_t fieldIndex) {
  auto* fielded = dynamic_cast<FieldedDocument*>(document);
  if (fielded == nullptr || fieldIndex >= fielded->FieldCount()) return nullptr;
  return &fielded->Field(fieldIndex);
}

}  // namespace

void RecordPage::ShowDocument(Document* document) {
  current_ = document;
  shownTexts_.resize(description_.form.size());
  for (std::size_t i = 0; i < description_.form.size(); ++i) {
    const FormFieldSpec& field = description_.form[i];
    const TextField* value = document != nullptr ? FormField(document, field.fieldIndex) : nullptr;
    const HWND edit = control(field.editSlot);
    WriteWindowText(edit, value != nullptr && value->has_value() ? (*value)->c_str() : nullptr);
    // Read back: what the edit made of the text is what the user saw.
    shownTexts_[i] = ReadWindowText(edit);
  }
}

void RecordPage::ClearForm() {
  shownTexts_.assign(description_.form.size(), Text());
  for (const FormFieldSpec& field : description_.form) WriteWindowText(control(field.editSlot), nullptr);
}

int RecordPage::LongestFieldText() const {
  int longest = 0;
  for (const FormFieldSpec& field : description_.form) {
    longest = std::max(longest, GetWindowTextLengthW(control(field.editSlot)));
  }
  return longest;
}

bool RecordPage::FieldDiffers(bool differsSoFar, HWND edit, const Text& shownText) {
  if (differsSoFar) return true;
  return ReadWindowText(edit) != shownText;
}

bool RecordPage::FormDiffers() const {
  bool differs = false;
  for (std::size_t i = 0; i < description_.form.size(); ++i) {
    const Text& shown = i < shownTexts_.size() ? shownTexts_[i] : Text();
    differs = FieldDiffers(differs, control(description_.form[i].editSlot), shown);
  }
  return differs;
}

bool RecordPage::HasUnsavedChanges() const {
  if (controls_.empty()) return false;
  if (current_ == nullptr) return LongestFieldText() > 0;  // an empty new form holds nothing
  // A record whose save failed equals the form but is not in the file yet;
  // while the file is behind, saving is what brings it up to date.
  if (current_->IsDirty() || (database_ != nullptr && database_->IsFileBehind())) return true;
  return FormDiffers();
}

bool RecordPage::AskToSave() {
  if (controls_.empty() || !HasUnsavedChanges()) return true;
  ++openBoxes_;
  const int answer = MessageBoxW(parentWindow_, AsWide(MainText(u"MessageSaveQuestion")),
                                 AsWide(MainText(u"MessageWarning")), MB_YESNO | MB_ICONWARNING);
  --openBoxes_;
  if (answer == IDYES) return SaveForm();
  GiveUpEdits();
  return true;
}

bool RecordPage::SaveForSessionEnd() {
  if (!HasUnsavedChanges()) return true;
  return SaveForm(FailedSave::kQuiet);
}

void RecordPage::GiveUpEdits() {
  if (current_ == nullptr || database_ == nullptr) {
    ClearForm();
    return;
  }
  Document* declined = current_;
  if (database_->Revert(declined)) {
    UpdateRow(declined);
    ShowDocument(declined);
    return;
  }
  // Never in the file: its row goes, and the form is new again. Its row is
  // the last one (a record gets its row when first saved, and none can be
  // added while it is unsaved), so the rows before it keep their places.
  const int row = FindRow(declined);
  if (row >= 0) {
    SendMessageW(listView_, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    InvalidateRect(listView_, nullptr, TRUE);
  }
  current_ = nullptr;
  ClearForm();
}

void RecordPage::Warn(const char16_t* text) {
  ++openBoxes_;
  MessageBoxW(parentWindow_, AsWide(text), AsWide(MainText(u"MessageWarning")),
              MB_OK | MB_ICONWARNING);
  --openBoxes_;
}

void RecordPage::WarnSaveFailed() { Warn(MainText(u"MessageSaveFailed")); }

void RecordPage::TellOfChangedFile() {
  const Text backup = database_->TakeChangedFileBackup();
  if (backup.empty()) return;
  const char16_t* message = MainText(u"MessageFileChanged");
  Warn(MessageNamingFile(message != nullptr ? message : u"", backup).c_str());
}

bool RecordPage::SaveForm(FailedSave failedSave) {
  if (controls_.empty() || database_ == nullptr) return false;
  bool written = false;
  try {
    // A new record is written whole; it has no stored text to keep.
    const bool whole = current_ == nullptr;
    if (whole) {
      current_ = database_->CreateDocument(description_.kindName);
      if (current_ == nullptr) return false;
    }
    shownTexts_.resize(description_.form.size());
    for (std::size_t i = 0; i < description_.form.size(); ++i) {
      TextField* stored = FormField(current_, description_.form[i].fieldIndex);
      if (stored == nullptr) continue;
      Text typed = ReadWindowText(control(description_.form[i].editSlot));
      // A field the user left as shown keeps its stored text, also what
      // the edit could not show.
      if (!whole && typed == shownTexts_[i]) continue;
      current_->SetField(*stored, TextView(typed));
      shownTexts_[i] = std::move(typed);
    }
    written = database_->Save(current_);
  } catch (const std::exception&) {
    // Running out of memory while reading the form or building the file is
    // a failed save like any other: the file is untouched, the form kept.
    written = false;
  }
  // The user must hear of a failed write, or the edits would seem kept when
  // the file is not; the form keeps them and counts as unsaved.
  if (!written && failedSave == FailedSave::kWarn) WarnSaveFailed();
  if (current_ == nullptr) return false;

  if (FindRow(current_) >= 0) {
    UpdateRow(current_);
  } else {
    InsertRow(current_, -1);
  }
  // Inside an open box the page is in the middle of a question or a
  // warning (a session end can save then); its asker highlights after.
  if (openBoxes_ == 0) HighlightCurrent();
  // Nobody may be there to read it at a session end: it waits for the next
  // save the user makes.
  if (written && failedSave == FailedSave::kWarn) TellOfChangedFile();
  return written;
}

void RecordPage::RemoveCurrent() {
  if (current_ == nullptr) return;
  // The record leaves the list and the form only once the file is without
  // it; a failed write keeps it listed, shown and stored.
  if (!database_->DeleteAndSave(current_)) {
    // Nothing waits to be saved: only what was typed before counts as
    // unsaved, as it did before the removal was tried.
    Warn(MainText(u"MessageRemoveFailed"));
    return;
  }
  const int row = FindRow(current_);
  if (row >= 0) {
    SendMessageW(listView_, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    // The platform's list scrolls its rows up when the last one goes from a
    // list scrolled to the end, but repaints only below the deleted row: a
    // neighbour showed twice until something covered it.
    InvalidateRect(listView_, nullptr, TRUE);
  }
  ClearForm();
  current_ = nullptr;

  const int count = static_cast<int>(SendMessageW(listView_, LVM_GETITEMCOUNT, 0, 0));
  // The neighbour's selection shows its record through the list's own
  // notification.
  if (count > 0 && row >= 0) SelectRow(row == count ? row - 1 : row);
  TellOfChangedFile();
}

void RecordPage::StartNew() {
  if (!AskToSave()) return;
  current_ = nullptr;
  ClearForm();
  HighlightCurrent();
}

}  // namespace ondrel
