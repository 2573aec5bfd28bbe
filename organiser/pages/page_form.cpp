// The document form of a record page: showing, comparing, saving, removing.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "organiser/pages/record_page.h"
#include "organiser/shell/wide_text.h"
#include "organiser/pages/window_text.h"
#include "organiser/store/database.h"
#include "organiser/store/document_kinds.h"

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

void RecordPage::AskToSave() {
  if (controls_.empty()) return;
  const int longest = LongestFieldText();
  if (current_ == nullptr) {
    if (longest == 0) return;  // an empty new form holds nothing to save
  } else if (!FormDiffers()) {
    return;
  }
  const int answer = MessageBoxW(parentWindow_, AsWide(MainText(u"MessageSaveQuestion")),
                                 AsWide(MainText(u"MessageWarning")), MB_YESNO | MB_ICONWARNING);
  if (answer == IDYES) SaveForm();
}

void RecordPage::WarnSaveFailed() {
  MessageBoxW(parentWindow_, AsWide(MainText(u"MessageSaveFailed")),
              AsWide(MainText(u"MessageWarning")), MB_OK | MB_ICONWARNING);
}

void RecordPage::SaveForm() {
  if (controls_.empty() || database_ == nullptr) return;
  if (current_ == nullptr) {
    current_ = database_->CreateDocument(description_.kindName);
    if (current_ == nullptr) return;
  }
  for (const FormFieldSpec& field : description_.form) {
    TextField* stored = FormField(current_, field.fieldIndex);
    if (stored == nullptr) continue;
    const Text typed = ReadWindowText(control(field.editSlot));
    current_->SetField(*stored, TextView(typed));
  }
  // A failed write leaves the document dirty, so the next Save retries; the
  // user must hear of it, or the edits would seem kept when the file is not.
  if (!current_->SaveIfDirty()) WarnSaveFailed();

  if (FindRow(current_) >= 0) {
    UpdateRow(current_);
    return;
  }
  const int row = InsertRow(current_, -1);
  LVITEMW clear{};
  clear.stateMask = LVIS_SELECTED;
  clear.state = 0;
  SendMessageW(listView_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
  // Selecting the new row shows it through the list's own notification.
  if (row >= 0) SelectRow(row);
}

void RecordPage::RemoveCurrent() {
  if (current_ == nullptr) return;
  const int row = FindRow(current_);
  if (row >= 0) SendMessageW(listView_, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
  ClearForm();
  Document* removed = current_;
  current_ = nullptr;
  // The store keeps the removal in memory and writes it with the next save
  // that succeeds; the user is told that the file is behind.
  if (!removed->DeleteAndSave()) WarnSaveFailed();

  const int count = static_cast<int>(SendMessageW(listView_, LVM_GETITEMCOUNT, 0, 0));
  if (count <= 0 || row < 0) return;
  SelectRow(row == count ? row - 1 : row);
}

void RecordPage::StartNew() {
  AskToSave();
  current_ = nullptr;
  ClearForm();
}

}  // namespace ondrel
