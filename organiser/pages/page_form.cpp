// The document form of a record page: showing, comparing, saving, removing.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <exception>

#include "organiser/pages/record_page.h"
#include "organiser/store/database.h"
#include "organiser/store/document_kinds.h"
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
  for (const FormFieldSpec& field : description_.form) {
    const TextField* value = document != nullptr ? FormField(document, field.fieldIndex) : nullptr;
    WriteWindowText(control(field.editSlot),
                    value != nullptr && value->has_value() ? (*value)->c_str() : nullptr);
  }
}

void RecordPage::ClearForm() {
  for (const FormFieldSpec& field : description_.form) WriteWindowText(control(field.editSlot), nullptr);
}

int RecordPage::LongestFieldText() const {
  int longest = 0;
  for (const FormFieldSpec& field : description_.form) {
    longest = std::max(longest, GetWindowTextLengthW(control(field.editSlot)));
  }
  return longest;
}

bool RecordPage::FieldDiffers(bool differsSoFar, HWND edit, const TextField& storedText) {
  if (differsSoFar) return true;
  const Text typed = ReadWindowText(edit);
  if (!storedText.has_value()) return !typed.empty();
  return typed != *storedText;
}

bool RecordPage::FormDiffers() const {
  bool differs = false;
  for (const FormFieldSpec& field : description_.form) {
    const TextField* stored = FormField(current_, field.fieldIndex);
    differs = FieldDiffers(differs, control(field.editSlot), stored != nullptr ? *stored : TextField());
  }
  return differs;
}

bool RecordPage::HasUnsavedChanges() const {
  if (current_ == nullptr) return LongestFieldText() > 0;  // an empty new form holds nothing
  // A record whose save failed equals the form but is not in the file yet;
  // while the file is behind, saving is what brings it up to date.
  if (current_->IsDirty() || (database_ != nullptr && database_->IsFileBehind())) return true;
  return FormDiffers();
}

bool RecordPage::AskToSave() {
  if (controls_.empty() || !HasUnsavedChanges()) return true;
  const int answer = MessageBoxW(parentWindow_, AsWide(MainText(u"MessageSaveQuestion")),
                                 AsWide(MainText(u"MessageWarning")), MB_YESNO | MB_ICONWARNING);
  if (answer != IDYES) return true;
  return SaveForm();
}

void RecordPage::WarnSaveFailed() {
  MessageBoxW(parentWindow_, AsWide(MainText(u"MessageSaveFailed")),
              AsWide(MainText(u"MessageWarning")), MB_OK | MB_ICONWARNING);
}

bool RecordPage::SaveForm() {
  if (controls_.empty() || database_ == nullptr) return false;
  bool written = false;
  try {
    if (current_ == nullptr) {
      current_ = database_->CreateDocument(description_.kindName);
      if (current_ == nullptr) return false;
    }
    for (const FormFieldSpec& field : description_.form) {
      TextField* stored = FormField(current_, field.fieldIndex);
      if (stored == nullptr) continue;
      const Text typed = ReadWindowText(control(field.editSlot));
      current_->SetField(*stored, TextView(typed));
    }
    written = database_->Save(current_);
  } catch (const std::exception&) {
    // Running out of memory while reading the form or building the file is
    // a failed save like any other: the file is untouched, the form kept.
    written = false;
  }
  // The user must hear of a failed write, or the edits would seem kept when
  // the file is not; the form keeps them and counts as unsaved.
  if (!written) WarnSaveFailed();
  if (current_ == nullptr) return false;

  if (FindRow(current_) >= 0) {
    UpdateRow(current_);
  } else {
    InsertRow(current_, -1);
  }
  HighlightCurrent();
  return written;
}

void RecordPage::RemoveCurrent() {
  if (current_ == nullptr) return;
  // The record leaves the list and the form only once the file is without
  // it; a failed write keeps it listed, shown and stored.
  if (!database_->DeleteAndSave(current_)) {
    WarnSaveFailed();
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
  if (count <= 0 || row < 0) return;
  // The neighbour's selection shows its record through the list's own
  // notification.
  SelectRow(row == count ? row - 1 : row);
}

void RecordPage::StartNew() {
  if (!AskToSave()) return;
  current_ = nullptr;
  ClearForm();
  HighlightCurrent();
}

}  // namespace ondrel
