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
#include <optional>
#include <vector>

#include "organiser/store/clock.h"
#include "organiser/store/document.h"
#include "organiser/store/file_system.h"
#include "organiser/store/ptr_array.h"
#include "organiser/store/text.h"

namespace ondrel {

class SearchQuery;

// The separately allocated cell that holds one document in the store's
// list: the list owns the cells and, through them, the documents, so a
// document's address never changes while the list grows.
struct DocumentHandle {
  std::unique_ptr<Document> document;
};

// What Database::Load found.
struct LoadResult {
  enum class Status {
    kNoFile,        // no file yet: an empty store; the first save makes it
    kRead,          // the file was read
    kCouldNotRead,  // a file is there but could not be read: an empty store
                    // that refuses every save, so the file is never replaced
  };
  Status status = Status::kNoFile;
  // kRead: the file held text the store cannot keep (a block cut off, stray
  // text, an odd last byte, a file in another encoding). The file as it was
  // is copied to backupPath, a name no earlier copy has: at once, or, when
  // that fails, by the first save, which fails while it cannot make it.
  bool damaged = false;
  Text backupPath;
  // kCouldNotRead: the platform's own words for why (may be empty).
  Text reason;
};

class Database {
 public:
  // files and clock are not owned and must outlive the store.
  Database(FileSystem& files, const Clock& clock);
  ~Database();

  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Fills the store from the file at path and remembers path for saving.
  // Blocks of no known kind are kept as plain documents and written back
  // unchanged; a block without its closing tag ends where the next block
  // starts and is kept as far as it goes. Never throws: running out of
  // memory while reading counts as kCouldNotRead.
  LoadResult Load(const Text& path);

  // Rewrites the whole file when document (one of this store's) is dirty,
  // when an earlier write failed, or when document is null. Returns true
  // when nothing needed writing or the file was written (every document is
  // then clean). On false the file is exactly as it was, every document not
  // written stays dirty and IsFileBehind() is true. A needed write fails at
  // once, touching nothing, after a Load that could not read the file, and
  // while the backup of a damaged file cannot be made.
  // Another program may have written the file since this store last read or
  // wrote it (a sync client, a restored backup, an editor): just before the
  // file is replaced, a file that no longer holds what the store last read
  // or wrote is copied to a backup name no earlier copy has (named by
  // TakeChangedFileBackup afterwards), and the save fails, leaving it as it
  // is, when that copy cannot be made or the file cannot be read to tell.
  // A file gone meanwhile is written anew. Never throws: running out of
  // memory is a failed save.
  bool Save(const Document* document);

  // Marks document (one of this store's) removed and writes the file
  // without it. Returns true when the file no longer holds it. On false the
  // removal is undone: the document is listed, unchanged and as dirty as
  // before, no later save writes it out as removed, and IsFileBehind() is
  // as it was before. Never throws.
  bool DeleteAndSave(Document* document);

  // Gives up what document (one of this store's) holds that the file does
  // not: its fields, stamps and text go back to what the file holds, and it
  // is clean. A document the file never held (new, its first write failed)
  // leaves the live records instead: it is marked removed and clean, and no
  // save writes it. Writes nothing. Returns whether the document is still a
  // live record. Once no document differs from the file, IsFileBehind() is
  // false again.
  bool Revert(Document* document);

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
  // True while the file lacks something the store holds: the last write
  // failed, and no revert has since given up every unwritten change.
  bool IsFileBehind() const { return fileBehind_; }
  // True after a Load that could not read the file: no save writes.
  bool RefusesSaves() const { return refusesSaves_; }
  // The path of the backup that a save made of a version another program
  // wrote, once: empty when there is none, or when it was taken already.
  Text TakeChangedFileBackup() { return std::move(changedFileBackup_); }

 private:
  // The loading itself; may throw std::bad_alloc.
  LoadResult LoadOrThrow(const Text& path);
  // Appends a document made from one block (closed or cut off).
  void AppendBlock(TextView block, bool closed);
  // The version of the file the store last read or wrote: whether there
  // was one, its stamp when one could be taken, and how to tell its bytes.
  struct KnownFile {
    bool exists = false;
    std::optional<FileStamp> stamp;
    // The file held exactly "<Database>", the text the file holds of each
    // document, and "</Database>", as the store writes it: its bytes are
    // told from the documents. Otherwise from size and digest.
    bool canonical = false;
    std::uint64_t size = 0;
    std::uint64_t digest = 0;
  };
  // Where a backup of file goes: a name no file has yet, or an earlier
  // copy that holds exactly these bytes (then nothing is written). Empty
  // when every name is taken.
  struct BackupName {
    Text path;
    bool holdsFile = false;
  };
  BackupName FindBackupName(const FileUnits& file);
  // Copies the damaged file's bytes to a new backup name, or finds an
  // earlier copy that holds exactly them.
  void BackUpDamagedFile(const FileUnits& file);
  // Just before the file is replaced: a file that is not the known version
  // is copied to a backup first. False when it may not be replaced.
  bool KeepFileChangedElsewhere();
  // True when current holds exactly the known version's bytes.
  bool HoldsKnownVersion(const FileUnits& current) const;
  // The known version becomes what was read from the file.
  void KnowLoadedFile(std::optional<FileStamp> stamp, const FileUnits& file, bool canonical);
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
  bool refusesSaves_ = false;
  // The damaged file as loaded, kept until its backup is written.
  std::vector<unsigned char> loadedBytesToBackUp_;
  Text backupPath_;
  KnownFile known_;
  // A backup of another program's version not yet told to the user.
  Text changedFileBackup_;
};

}  // namespace ondrel
