#pragma once
// One stored record: two flags (changed since last written, removed), its
// creation and modification stamps, and its serialized form
// <Document>...</Document>, which goes into the database file unchanged.
// The kinds (document_kinds.h) add their text fields. A document never
// writes itself: the store that holds it does (Database::Save and
// Database::DeleteAndSave), and tells it when the file holds it.

#include <cstdint>
#include <memory>
#include <optional>

#include "organiser/store/day_number.h"
#include "organiser/store/ptr_array.h"
#include "organiser/store/text.h"

namespace ondrel {

class Clock;

class Document {
 public:
  // clock gives the modification stamps; not owned, it must outlive the
  // document.
  explicit Document(const Clock& clock);
  virtual ~Document();

  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  // When dirty, rebuilds the text. A plain document (a block of no known
  // kind) has no fields to rebuild from and keeps the text it was loaded
  // with.
  virtual void Serialize();
  // Reads stamps and fields back out of the text.
  virtual void Parse();
  // Makes the document new: no text, equal fresh stamps, empty fields, clean.
  virtual void InitNew();
  // Takes text as the document's stored form; the kinds also parse it.
  virtual void LoadFromText(TextView text);
  // "Document", or the kind's type name.
  virtual const char16_t* TypeName() const;

  // The stored text (empty when none), serialized first: for a changed
  // document this rebuilds the text, with a fresh modification stamp.
  const Text& GetText();
  std::int32_t GetTextLength();
  // The text as last built or loaded, without serializing first (empty when
  // none): what searches read, so that a search never changes a document.
  TextView StoredText() const { return text_ ? TextView(*text_) : TextView(); }

  // Replaces field with value; the document becomes dirty when the text
  // differs (a null field given an empty text differs).
  void SetField(TextField& field, std::optional<TextView> value);

  // True exactly while the file does not hold the document as it is in
  // memory: an edit or a removal not yet written.
  bool IsDirty() const { return unsaved_; }
  bool IsDeleted() const { return deleted_; }
  const TextField& GetModifyDate() const { return modifyDate_; }
  const TextField& GetCreateDate() const { return createDate_; }

  // The day number (day_number.h) of the modification stamp, or 0 when
  // there is none or it is not a well-formed stamp. Cached.
  std::int32_t DayNumber();

  // The decoded value between the first openTag in the text and the next
  // closeTag, or no value when openTag does not occur.
  TextField ExtractTag(TextView openTag, TextView closeTag) const;

  // Makes the next save build the text anew from the fields (with a fresh
  // modification stamp) and write it.
  void MarkDirty() {
    dirty_ = true;
    unsaved_ = true;
  }

 protected:
  // True while the fields changed since the text was last built.
  bool NeedsNewText() const { return dirty_; }
  // Appends <openTag>value</closeTag> (value encoded) unless value is empty.
  void AddFragment(TextView openTag, const TextField& value, TextView closeTag);
  // Appends <openTag></closeTag> (an element written although empty).
  void AddEmptyElement(TextView openTag, TextView closeTag);
  // Appends text exactly as it is (text read from the file and kept).
  void AddRawFragment(TextView text);
  // Fresh modification stamp, then the envelope fragments.
  void WriteEnvelope();
  // When dirty: text = "<Document>" + fragments + "</Document>"; clean.
  void BuildText();
  void ParseDates();
  void StampModifyDate();
  // Sets both stamps at once (the kinds read them together with their
  // fields in one pass over the text).
  void SetStamps(TextField createDate, TextField modifyDate);

 private:
  // The store writes the file and so alone knows when it holds the
  // document; it also marks and unmarks removals (Database::DeleteAndSave).
  friend class Database;
  // Called by the store once the file holds this document as it is.
  void MarkSaved();
  // Puts the document back to what the file holds: its text as last
  // written, its stamps and fields read from that text, clean. One the file
  // never held is marked removed instead, clean, so no save writes it.
  void RevertToWritten();
  // What a removal changes, kept so that a removal the file never got can
  // be undone.
  struct RemovalUndo {
    bool deleted;
    bool unsaved;
  };
  RemovalUndo MarkRemoved() {
    const RemovalUndo undo{deleted_, unsaved_};
    deleted_ = true;
    unsaved_ = true;
    return undo;
  }
  void UndoRemoval(RemovalUndo undo) {
    deleted_ = undo.deleted;
    unsaved_ = undo.unsaved;
  }

  // The first part of InitNew: forget text, stamps and fragments.
  void Forget();
  // The text the file holds for this document (empty when none).
  TextView WrittenText() const;
  // True while the file holds a version of this document (WrittenText).
  bool InFile() const { return written_; }

  std::unique_ptr<PtrArray<Text>> fragments_;
  const Clock& clock_;  // not owned
  // The fields changed since the text was last built.
  bool dirty_ = false;
  // The file does not hold the document as it is in memory. Apart from
  // dirty_: a text built for a write that then failed is written as it is
  // by the retry, so a record nobody touched again keeps its stamp.
  bool unsaved_ = false;
  bool deleted_ = false;
  // The file holds a version of this document (it was loaded from the file
  // or written to it); a new one that never reached the file does not.
  bool written_ = false;
  // text_ is the text the file holds. When a write fails after text_ was
  // rebuilt, the file's text is kept in writtenText_ until the next write
  // succeeds, so that a declined change can be given up.
  bool textWritten_ = false;
  std::optional<Text> writtenText_;
  std::optional<Text> text_;
  std::int32_t textLength_ = 0;
  std::int32_t dayNumber_ = 0;
  TextField createDate_;
  TextField modifyDate_;
};

// The 16-character stamp dd.mm.yyyy hh:mm of a local time, zero-padded.
Text FormatStamp(int year, int month, int day, int hour, int minute);

}  // namespace ondrel
