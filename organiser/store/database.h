#pragma once
// The one document store: every document of every kind in one list in
// memory, mirrored in one file that every change rewrites whole.
//
// File format: UTF-16LE without byte-order mark: "<Database>", one block
// <Document>...</Document> per document not removed, in list order,
// "</Database>", with nothing between the pieces. Inside values, '&' is
// written as "&amp;" and '<' as "&lt;", so no value can break the file.

#include <cstdint>
#include <memory>
#include <vector>

#include "organiser/store/clock.h"
#include "organiser/store/document.h"
#include "organiser/store/file_system.h"
#include "organiser/store/ptr_array.h"
#include "organiser/store/text.h"

namespace ondrel {

class SearchQuery;

// A separately allocated cell holding one document; the store's list owns
// the cells and, through them, the documents.
struct DocumentHandle {
  std::unique_ptr<Document> document;
};

class Database {
 public:
  // files and clock are not owned and must outlive the store.
  Database(FileSystem& files, const Clock& clock);
  ~Database();

  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Fills the store from the file at path and remembers path for saving.
  // A missing or unreadable file gives an empty store (returns false).
  // Blocks of no known kind are kept as plain documents and written back
  // unchanged. If the file holds text that the store cannot keep (a block
  // without its closing tag, an odd last byte, stray text between blocks),
  // the loaded bytes are kept so that the first save first copies them to
  // path + ".bak".
  bool Load(const Text& path);

  // Rewrites the file when changedDocument is dirty, when an earlier write
  // failed, or when changedDocument is null. Returns true when nothing
  // needed writing or the file was written; on false the file is exactly as
  // it was, changedDocument stays dirty and IsFileBehind() is true. The first
  // write after a load that dropped text first copies the loaded bytes to
  // path + ".bak"; when that copy fails, the save fails.
  bool Save(Document* changedDocument);

  // A new document of the named kind ("NoteDocument", "PasswordDocument",
  // "PhoneDocument"), appended to the list and owned by the store; null for
  // any other name.
  Document* CreateDocument(TextView kindName);

  // Fills result (borrowing) with the documents of one kind in list order,
  // removed ones included; kindName null lists every document.
  void ListDocuments(PtrArray<Document>& result, const char16_t* kindName) const;

  // Fills result (borrowing) with the documents matching query, list order.
  void Search(PtrArray<Document>& result, const SearchQuery& query) const;

  const Clock& clock() const { return clock_; }
  const Text& path() const { return path_; }
  std::uint32_t DocumentCount() const;
  Document* DocumentAt(std::uint32_t index) const;
  // True while the last write of the file failed (the file is behind).
  bool IsFileBehind() const { return fileBehind_; }

 private:
  // Rebuilds the text of every changed document that is not removed.
  void SerializeStoredDocuments();
  // Writes the whole file text: "<Database>" + the block of every document
  // not removed, in list order + "</Database>". False when a write failed.
  bool WriteFileText(WritableFile& file) const;
  bool WriteBackupIfNeeded();

  FileSystem& files_;
  const Clock& clock_;
  std::unique_ptr<PtrArray<DocumentHandle>> documents_;
  Text path_;
  bool fileBehind_ = false;
  // The file as loaded, kept only when loading dropped something.
  std::vector<unsigned char> loadedBytesToBackUp_;
};

}  // namespace ondrel
